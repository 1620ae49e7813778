// The vertices of a polygon mesh as a graph: two vertices are neighbours when a face edge joins
// them (consecutive points round a face of three or more, the two points of a line).
#pragma once

#include "SurfaceQuality.h"

#include <vector>

namespace quality {

class EdgeGraph {
public:
  explicit EdgeGraph(const PolygonMesh& mesh);

  // Vertex v's neighbours, ascending, each once.
  const int* begin(int v) const { return neighbours_.data() + start_[static_cast<size_t>(v)]; }
  const int* end(int v) const { return neighbours_.data() + start_[static_cast<size_t>(v) + 1]; }
  size_t degree(int v) const {
    return start_[static_cast<size_t>(v) + 1] - start_[static_cast<size_t>(v)];
  }
  int vertexCount() const { return static_cast<int>(start_.size()) - 1; }

  // The mean length of the edges at v (0 for a vertex without edges).
  double meanEdgeLength(const std::vector<Vec3>& positions, int v) const;

private:
  std::vector<size_t> start_;
  std::vector<int> neighbours_;
};

} // namespace quality
