// The weld from glTF vertices to host vertices. glTF repeats a vertex wherever a UV or normal seam
// runs through it; the host keeps one vertex with per-corner UVs. Copies become one host vertex
// when they have the same position, bit for bit, the same delta in every morph target of their
// mesh, and normals less than 60 degrees apart (no normal: any). So seam copies weld, while
// surfaces that merely touch stay apart when a morph moves them differently (closed lips) or
// when they face different ways (the two sides of closed lips, a button on a coat, a hard edge
// of 60 degrees or more).
#pragma once

#include "GltfMesh.h"

#include <cstdint>
#include <vector>

namespace runner {

struct VertexWeld {
  std::vector<int> hostOf;            // per glTF vertex of the mesh
  std::vector<std::uint32_t> firstOf; // per host vertex: its first glTF vertex
  int hostCount() const { return static_cast<int>(firstOf.size()); }
};

// Host vertices are numbered in the order of their first glTF vertex.
VertexWeld weldVertices(const MeshGeometry& mesh);

} // namespace runner
