// The glTF meshes in the simulated host, and their positions read back after a run: the one
// place that knows how sim::Object stores vertices and faces.
#pragma once

#include "GltfMesh.h"
#include "SimHost.h"
#include "VertexWeld.h"

namespace runner {

// Fills an empty object with the welded mesh: one vertex per host vertex (at base + the
// target's delta when a target is given), one face per glTF triangle with its corners' UVs and
// its primitive's material, except that the two halves of a quad as exporters split it,
// (a, b, c) then (a, c, d), become the quad (a, b, c, d) again, as the modeler made it.
void fillHostObject(sim::Object& object, const MeshGeometry& mesh, const VertexWeld& weld,
                    const MorphTarget* target);

// Gives an element the faces of its base object and base + delta positions.
void fillElementObject(sim::Object& element, const sim::Object& base, const MeshGeometry& mesh,
                       const VertexWeld& weld, const MorphTarget& target);

// Gives each Destination face whose corners lie where a Source face's corners lie, in the same
// order, that face's unique ID, as an edited copy keeps the IDs of the faces it did not touch;
// the other faces keep IDs of their own, above the Source's. (Vertices are still paired by
// position: glTF has no vertex IDs to carry.)
void shareFaceIds(const sim::Object& source, sim::Object& destination);

int hostVertexCount(const sim::Object& object);
MQPoint hostPosition(const sim::Object& object, int vertex);

} // namespace runner
