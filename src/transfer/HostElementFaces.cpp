#include "transfer/HostElementFaces.h"

#include "host/HostTable.h"
#include "objects/CMQObject.h"

#include <algorithm>

namespace transfer {

int HostElementFaces::pointCount(int face) {
  const long long flatLimit = 4LL * vertices_ + 65536;
  if (face < 0 || face >= flatLimit) {
    auto known = otherCounts_.find(face);
    if (known == otherCounts_.end())
      known = otherCounts_.emplace(face, MQObj_GetFacePointCount(element_, face)).first;
    return known->second;
  }
  const size_t at = static_cast<size_t>(face);
  if (at >= counts_.size())
    counts_.resize(std::max(at + 1, std::min(2 * counts_.size(), static_cast<size_t>(flatLimit))));
  Count& count = counts_[at];
  if (count.turn != turn_)
    count = Count{MQObj_GetFacePointCount(element_, face), turn_};
  return count.value;
}

void HostElementFaces::turnTo(MQObject element, int vertexCount) {
  element_ = element;
  vertices_ = vertexCount;
  if (++turn_ == 0) { // after 2^32 turns, start over from a clean table
    counts_.assign(counts_.size(), Count{});
    turn_ = 1;
  }
  otherCounts_.clear();
  points_.clear();
  faces_.clear();
}

const int* HostElementFaces::points(int face) {
  auto known = points_.find(face);
  if (known == points_.end()) {
    const int count = pointCount(face);
    // Entries the host leaves unfilled name no vertex.
    std::vector<int> filled(static_cast<size_t>(std::max(0, count)), -1);
    if (count > 0)
      MQObj_GetFacePointArray(element_, face, filled.data());
    known = points_.emplace(face, std::move(filled)).first;
  }
  return known->second.data();
}

VertexFaceRange HostElementFaces::facesOf(int vertex) {
  auto known = faces_.find(vertex);
  if (known == faces_.end()) {
    std::vector<int> faces;
    if (vertex >= 0 && vertex < vertices_)
      faces = cmq::CMQObject(element_, nullptr).relatedFaces(vertex);
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    known = faces_.emplace(vertex, std::move(faces)).first;
  }
  return VertexFaceRange{known->second.data(), known->second.data() + known->second.size()};
}

} // namespace transfer
