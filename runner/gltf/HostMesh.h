// The glTF meshes in the simulated host, and their positions read back after a run: the one
// place that knows how sim::Object stores vertices and faces.
#pragma once

#include "GltfMesh.h"
#include "SimHost.h"
#include "VertexWeld.h"

namespace runner {

// Fills an empty object with the welded mesh: one vertex per host vertex (at base + the
// target's delta when a target is given), one triangle per glTF triangle with its corners' UVs
// and its primitive's material.
void fillHostObject(sim::Object& object, const MeshGeometry& mesh, const VertexWeld& weld,
                    const MorphTarget* target);

// Gives an element the faces of its base object and base + delta positions.
void fillElementObject(sim::Object& element, const sim::Object& base, const MeshGeometry& mesh,
                       const VertexWeld& weld, const MorphTarget& target);

int hostVertexCount(const sim::Object& object);
MQPoint hostPosition(const sim::Object& object, int vertex);

} // namespace runner
