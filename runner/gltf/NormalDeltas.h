// NORMAL deltas for a morph: the mesh's vertex normals computed from its triangles with and
// without the morph, their difference. A vertex normal is the normalized sum of the area-weighted
// normals of the triangles round it, over every glTF copy of the vertex with the same file normal
// (so UV seams stay smooth and hard edges stay hard). Untouched parts get exact zeros.
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
  std::vector<float> normals(const std::vector<float>* positionDeltas) const;

  const MeshGeometry& mesh_;
  std::vector<int> groupOf_; // per glTF vertex: the vertices sharing its normal
  size_t groups_ = 0;
  std::vector<float> base_;
};

} // namespace runner
