// The faces of every vertex of a mesh snapshot, as the host answers its related-face question:
// each face that names the vertex, once, in ascending order. Derived from the faces' points by a
// counting sort, so asking costs no host call and no search. Points that name no vertex of the
// mesh belong to no vertex.
// Relies on the mesh snapshot (its faces).
#pragma once

#include "transfer/MeshSnapshot.h"

#include <vector>

namespace transfer {

class VertexFaces {
public:
  explicit VertexFaces(const MeshSnapshot& mesh);

  // The faces of vertex v (none for a vertex outside the mesh), ascending.
  const int* begin(int v) const { return faces_.data() + start(v); }
  const int* end(int v) const { return faces_.data() + start(v + 1); }
  bool empty(int v) const { return begin(v) == end(v); }

private:
  size_t start(int v) const {
    if (v < 0)
      return 0;
    return static_cast<size_t>(v) < start_.size() ? start_[static_cast<size_t>(v)] : faces_.size();
  }

  std::vector<size_t> start_; // vertexCount + 1 offsets into faces_
  std::vector<int> faces_;
};

} // namespace transfer
