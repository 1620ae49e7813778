// Connected components by a flood fill over the edges, with an explicit work list.
#include "transfer/AddedRegions.h"

#include <algorithm>

namespace transfer {

AddedRegions::AddedRegions(const MeshSnapshot& destination, const VertexFaces& faces,
                           const std::vector<int>& sourceOf)
    : destination_(destination), faces_(faces), sourceOf_(sourceOf),
      regionOfVertex_(static_cast<size_t>(destination.vertexCount), 0), boundaries_(1) {}

bool AddedRegions::isAdded(int v) const {
  return static_cast<size_t>(v) >= sourceOf_.size() || sourceOf_[static_cast<size_t>(v)] == -1;
}

int AddedRegions::findRegion(int i) {
  if (destination_.isVertex(i) && regionOfVertex_[static_cast<size_t>(i)] != 0)
    return regionOfVertex_[static_cast<size_t>(i)];
  const int region = static_cast<int>(boundaries_.size());
  std::vector<int> boundary;
  // Each added vertex is entered at most once; the start vertex is entered only when a neighbour
  // leads back to it, as a recursive flood from it does.
  std::vector<int> work{i};
  while (!work.empty()) {
    const int v = work.back();
    work.pop_back();
    for (int neighbour : edgeNeighbours(destination_, faces_, v)) {
      if (!isAdded(neighbour)) {
        boundary.push_back(neighbour);
      } else if (regionOfVertex_[static_cast<size_t>(neighbour)] == 0) {
        regionOfVertex_[static_cast<size_t>(neighbour)] = region;
        work.push_back(neighbour);
      }
    }
  }
  std::sort(boundary.begin(), boundary.end());
  boundary.erase(std::unique(boundary.begin(), boundary.end()), boundary.end());
  boundaries_.push_back(std::move(boundary));
  return region;
}

} // namespace transfer
