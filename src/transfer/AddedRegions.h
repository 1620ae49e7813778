// Regions of added vertices: maximal sets of vertices without a Source vertex that face edges of
// the Destination connect, each with its boundary, the vertices with a Source vertex joined to the
// region by an edge. Regions are numbered from 1 in order of first use and flooded once, then
// reused for every vertex in them and every element; the flood uses a work list, since a region
// can hold most of a mesh.
// Relies on the edge neighbours (EdgeNeighbours.h) and the Source vertex of every Destination
// vertex (a dense table, -1 for none).
#pragma once

#include "transfer/EdgeNeighbours.h"

#include <vector>

namespace transfer {

class AddedRegions {
public:
  // sourceOf: the Source vertex of each Destination vertex, kNoSourceVertex (-1) for an added one.
  AddedRegions(const MeshSnapshot& destination, const VertexFaces& faces,
               const std::vector<int>& sourceOf);

  // The region of added vertex i, flooded on first use.
  int findRegion(int i);
  // The boundary of a region, ascending.
  const std::vector<int>& boundary(int region) const {
    return boundaries_[static_cast<size_t>(region)];
  }
  int regionCount() const { return static_cast<int>(boundaries_.size()) - 1; }

private:
  bool isAdded(int v) const;

  const MeshSnapshot& destination_;
  const VertexFaces& faces_;
  const std::vector<int>& sourceOf_;
  std::vector<int> regionOfVertex_; // 0: in no region yet
  std::vector<std::vector<int>> boundaries_;
};

} // namespace transfer
