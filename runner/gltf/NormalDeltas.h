// NORMAL deltas for a morph: the mesh's vertex normals computed from its triangles with and
// without the morph, their difference. A vertex normal is the normalized sum of the area-weighted
// normals of the triangles round it, over every glTF copy of the vertex with the same file normal
// (so UV seams stay smooth and hard edges stay hard). Untouched parts get exact zeros.
// A morph moves a part of the mesh, so only the triangles it moves are computed anew, and only the
// normals round them summed again, each sum taken in the order a pass over every triangle takes
// it: the deltas are the same bits as those of such a pass.
#pragma once

#include "GltfMesh.h"
#include "VertexWeld.h"

#include <vector>

namespace runner {

class NormalDeltas {
public:
  NormalDeltas(const MeshGeometry& mesh, const VertexWeld& weld);
  // 3 per glTF vertex.
  std::vector<float> deltas(const std::vector<float>& positionDeltas) const;

private:
  // A list per normal group, packed one after another.
  struct Lists {
    std::vector<size_t> start; // items + 1 offsets into entries
    std::vector<int> entries;
    const int* begin(size_t item) const { return entries.data() + start[item]; }
    const int* end(size_t item) const { return entries.data() + start[item + 1]; }
  };
  template <typename Visit> static Lists listsOf(size_t items, Visit visit);

  void triangleNormal(size_t triangle, const std::vector<float>* deltas, float* normal) const;
  // The normalized sum of a group's triangle normals (3 per triangle), written to each of its
  // vertices.
  void groupNormal(size_t group, const std::vector<float>& triangleNormals, float* out) const;

  const MeshGeometry& mesh_;
  std::vector<int> groupOf_; // per glTF vertex: the vertices sharing its normal
  size_t groups_ = 0;
  Lists trianglesOfGroup_;           // a triangle once per corner in the group, in the order summed
  Lists verticesOfGroup_;            // ascending
  std::vector<float> baseTriangles_; // 3 per triangle
  std::vector<float> base_;
};

} // namespace runner
