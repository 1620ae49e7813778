// The glTF meshes as the runner's plain polygon arrays (run/HostObjects.h), and the positions of
// the glTF vertices read back from the host's vertices after a run.
#pragma once

#include "GltfMesh.h"
#include "HostObjects.h"
#include "VertexWeld.h"

namespace runner {

// The welded mesh: one vertex per host vertex (at base + the target's delta when a target is
// given), one face per glTF triangle with its corners' UVs and its primitive's material, except
// that the two halves of a quad as exporters split it, (a, b, c) then (a, c, d), become the quad
// (a, b, c, d) again, as the modeler made it.
PolygonArrays polygonsOf(const MeshGeometry& mesh, const VertexWeld& weld);
// The host vertices' positions of a target: base + delta at each host vertex's first glTF vertex.
std::vector<float> morphedPositions(const MeshGeometry& mesh, const VertexWeld& weld,
                                    const MorphTarget* target);

} // namespace runner
