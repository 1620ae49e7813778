// Regions of added Destination vertices and the snapshots they are built from.
#include "host/HostTable.h"
#include "transfer/TransferPasses.h"

#include <algorithm>

namespace transfer {

PositionCache::PositionCache(MQObject object, int count)
    : object_(object), positions_(static_cast<size_t>(std::max(0, count)), MQPoint{0, 0, 0}),
      read_(positions_.size(), 0) {}

const MQPoint& PositionCache::at(int index) {
  const size_t i = static_cast<size_t>(index);
  if (!read_[i]) {
    MQObj_GetVertex(object_, index, &positions_[i]);
    read_[i] = 1;
  }
  return positions_[i];
}

namespace {
constexpr int kUnknown = INT_MIN;
}

SourceLookup::SourceLookup(const Tovalinder& plugin, int destinationCount)
    : plugin_(plugin), cache_(static_cast<size_t>(std::max(0, destinationCount)), kUnknown) {}

int SourceLookup::operator()(int vertex) {
  if (vertex < 0 || static_cast<size_t>(vertex) >= cache_.size())
    return plugin_.findSourceVertex(vertex);
  int& entry = cache_[static_cast<size_t>(vertex)];
  if (entry == kUnknown)
    entry = plugin_.findSourceVertex(vertex);
  return entry;
}

MeshTopology::MeshTopology(MQObject object)
    : vertexCount_(std::max(0, MQObj_GetVertexCount(object))) {
  const int faceCount = std::max(0, MQObj_GetFaceCount(object));
  faceStarts_.reserve(static_cast<size_t>(faceCount) + 1);
  faceStarts_.push_back(0);
  for (int f = 0; f < faceCount; ++f) {
    const int n = MQObj_GetFacePointCount(object, f);
    if (n > 0) {
      const size_t start = facePoints_.size();
      // Entries the host leaves unfilled name no vertex.
      facePoints_.resize(start + static_cast<size_t>(n), -1);
      MQObj_GetFacePointArray(object, f, facePoints_.data() + start);
    }
    faceStarts_.push_back(static_cast<int>(facePoints_.size()));
  }
  // Each vertex's faces, each face once, ascending.
  const size_t nv = static_cast<size_t>(vertexCount_);
  relatedStarts_.assign(nv + 1, 0);
  auto forEachDistinctPoint = [&](int f, auto&& visit) {
    const int* begin = facePoints_.data() + faceStarts_[static_cast<size_t>(f)];
    const int* end = facePoints_.data() + faceStarts_[static_cast<size_t>(f) + 1];
    for (const int* p = begin; p != end; ++p)
      if (*p >= 0 && *p < vertexCount_ && std::find(begin, p, *p) == p)
        visit(*p);
  };
  for (int f = 0; f < faceCount; ++f)
    forEachDistinctPoint(f, [&](int v) { ++relatedStarts_[static_cast<size_t>(v) + 1]; });
  for (size_t v = 0; v < nv; ++v)
    relatedStarts_[v + 1] += relatedStarts_[v];
  relatedFaces_.resize(static_cast<size_t>(relatedStarts_[nv]));
  std::vector<int> fill(relatedStarts_.begin(), relatedStarts_.end() - 1);
  for (int f = 0; f < faceCount; ++f)
    forEachDistinctPoint(
        f, [&](int v) { relatedFaces_[static_cast<size_t>(fill[static_cast<size_t>(v)]++)] = f; });
}

std::vector<int> MeshTopology::edgeNeighbours(int v) const {
  std::vector<int> result;
  if (v < 0 || v >= vertexCount_)
    return result;
  for (int r = relatedStarts_[static_cast<size_t>(v)];
       r < relatedStarts_[static_cast<size_t>(v) + 1]; ++r) {
    const int f = relatedFaces_[static_cast<size_t>(r)];
    const int* pts = facePoints_.data() + faceStarts_[static_cast<size_t>(f)];
    const int n = faceStarts_[static_cast<size_t>(f) + 1] - faceStarts_[static_cast<size_t>(f)];
    if (n == 2) {
      result.push_back(pts[0] == v ? pts[1] : pts[0]);
      continue;
    }
    const int p = static_cast<int>(std::find(pts, pts + n, v) - pts);
    if (p == n)
      continue;
    result.push_back(pts[(p + 1) % n]);
    result.push_back(pts[(p + n - 1) % n]);
  }
  std::sort(result.begin(), result.end());
  result.erase(std::unique(result.begin(), result.end()), result.end());
  // A point the Destination does not have is nobody's neighbour.
  result.erase(std::remove_if(result.begin(), result.end(),
                              [&](int c) { return c < 0 || c >= vertexCount_; }),
               result.end());
  return result;
}

AddedRegions::AddedRegions(const MeshTopology& topology, SourceLookup& sourceOf)
    : topology_(topology), sourceOf_(sourceOf),
      regionOfVertex_(static_cast<size_t>(topology.vertexCount()), 0), boundaries_(1) {}

int AddedRegions::findRegion(int i) {
  if (i >= 0 && i < topology_.vertexCount() && regionOfVertex_[static_cast<size_t>(i)] != 0)
    return regionOfVertex_[static_cast<size_t>(i)];
  const int region = static_cast<int>(boundaries_.size());
  std::vector<int> boundary;
  // The flood enters each added vertex at most once; the start vertex is entered only when a
  // neighbour leads back to it, as the recursive flood does.
  std::vector<int> work{i};
  while (!work.empty()) {
    const int v = work.back();
    work.pop_back();
    for (int c : topology_.edgeNeighbours(v)) {
      if (sourceOf_(c) != -1) {
        boundary.push_back(c);
      } else if (regionOfVertex_[static_cast<size_t>(c)] == 0) {
        regionOfVertex_[static_cast<size_t>(c)] = region;
        work.push_back(c);
      }
    }
  }
  std::sort(boundary.begin(), boundary.end());
  boundary.erase(std::unique(boundary.begin(), boundary.end()), boundary.end());
  boundaries_.push_back(std::move(boundary));
  return region;
}

} // namespace transfer
