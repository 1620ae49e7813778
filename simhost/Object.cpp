// An object's flat arrays and the tables built from them (SimHost.h: Object).
#include "SimHost.h"

#include <algorithm>

namespace sim {

Object::Object(std::string objectName) : name_(std::move(objectName)) {}

int Object::addVertex(MQPoint position) {
  positions.push_back(position);
  vertexIds.push_back(nextVertexUniqueId++);
  weights.push_back(1.0f);
  invalidateCaches();
  return vertexCount() - 1;
}

int Object::addFace(const std::vector<int>& facePoints) {
  return addFace(facePoints.data(), static_cast<int>(facePoints.size()));
}

int Object::addFace(const int* facePoints, int count) {
  const size_t n = static_cast<size_t>(std::max(count, 0));
  points.insert(points.end(), facePoints, facePoints + n);
  uvs.resize(points.size(), MQCoordinate{0, 0});
  creases.resize(points.size(), 0.0f);
  faceStart.push_back(points.size());
  faceIds.push_back(nextFaceUniqueId++);
  materials.push_back(-1);
  invalidateCaches();
  return faceCount() - 1;
}

void Object::setFacePoints(int face, const std::vector<int>& newPoints) {
  const size_t f = static_cast<size_t>(face);
  const size_t first = faceStart.at(f), last = faceStart.at(f + 1);
  const auto at = [first](auto& corners) { return corners.begin() + static_cast<long>(first); };
  points.erase(at(points), at(points) + static_cast<long>(last - first));
  points.insert(at(points), newPoints.begin(), newPoints.end());
  uvs.erase(at(uvs), at(uvs) + static_cast<long>(last - first));
  uvs.insert(at(uvs), newPoints.size(), MQCoordinate{0, 0});
  creases.erase(at(creases), at(creases) + static_cast<long>(last - first));
  creases.insert(at(creases), newPoints.size(), 0.0f);
  for (size_t g = f + 1; g < faceStart.size(); ++g)
    faceStart[g] = faceStart[g] - (last - first) + newPoints.size();
  invalidateCaches();
}

std::vector<int> Object::facePointList(int face) const {
  return std::vector<int>(facePoints(face), facePoints(face) + facePointCount(face));
}

std::vector<MQCoordinate> Object::faceUvList(int face) const {
  return std::vector<MQCoordinate>(faceUvs(face), faceUvs(face) + facePointCount(face));
}

std::vector<float> Object::faceCreaseList(int face) const {
  return std::vector<float>(faceCreases(face), faceCreases(face) + facePointCount(face));
}

void Object::setFaceUvs(int face, const std::vector<MQCoordinate>& faceUvs) {
  const size_t n = std::min(faceUvs.size(), static_cast<size_t>(facePointCount(face)));
  std::copy(faceUvs.begin(), faceUvs.begin() + static_cast<long>(n),
            uvs.begin() + static_cast<long>(firstCorner(face)));
}

void Object::setFaceCreases(int face, const std::vector<float>& faceCreases) {
  const size_t n = std::min(faceCreases.size(), static_cast<size_t>(facePointCount(face)));
  std::copy(faceCreases.begin(), faceCreases.begin() + static_cast<long>(n),
            creases.begin() + static_cast<long>(firstCorner(face)));
}

void Object::copyGeometry(const Object& from) {
  positions = from.positions;
  vertexIds = from.vertexIds;
  weights = from.weights;
  faceIds = from.faceIds;
  materials = from.materials;
  faceStart = from.faceStart;
  points = from.points;
  uvs = from.uvs;
  creases = from.creases;
  nextVertexUniqueId = from.nextVertexUniqueId;
  nextFaceUniqueId = from.nextFaceUniqueId;
  invalidateCaches();
}

void Object::truncateVertices(int count) {
  const size_t n = std::min(positions.size(), static_cast<size_t>(std::max(count, 0)));
  positions.resize(n);
  vertexIds.resize(n);
  weights.resize(n);
  invalidateCaches();
}

void Object::truncateFaces(int count) {
  const size_t n = std::min(faceIds.size(), static_cast<size_t>(std::max(count, 0)));
  faceIds.resize(n);
  materials.resize(n);
  faceStart.resize(n + 1);
  points.resize(faceStart[n]);
  uvs.resize(faceStart[n]);
  creases.resize(faceStart[n]);
  invalidateCaches();
}

void Object::reserve(size_t vertices, size_t faces, size_t corners) {
  positions.reserve(vertices);
  vertexIds.reserve(vertices);
  weights.reserve(vertices);
  faceIds.reserve(faces);
  materials.reserve(faces);
  faceStart.reserve(faces + 1);
  points.reserve(corners);
  uvs.reserve(corners);
  creases.reserve(corners);
}

void Object::setVertexUniqueId(int vertex, MQDWORD id) {
  vertexIds.at(static_cast<size_t>(vertex)) = id;
  nextVertexUniqueId = std::max(nextVertexUniqueId, id + 1);
  invalidateCaches();
}

void Object::setFaceUniqueId(int face, MQDWORD id) {
  faceIds.at(static_cast<size_t>(face)) = id;
  nextFaceUniqueId = std::max(nextFaceUniqueId, id + 1);
  invalidateCaches();
}

void Object::invalidateCaches() {
  cachesValid_ = false;
}

namespace {

// An ID table answers a unique ID's index by indexing: IDs are nearly always 1..count, so a
// table a little longer than the count does. Sparse IDs (a file's own) are looked up in a
// sorted list instead.
constexpr size_t kDenseIdSlack = 1024;

void buildIdLookup(const std::vector<MQDWORD>& ids, std::vector<int>& table,
                   std::vector<std::pair<MQDWORD, int>>& sorted) {
  table.clear();
  sorted.clear();
  const MQDWORD highest = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
  if (highest <= 2 * ids.size() + kDenseIdSlack) {
    table.assign(size_t(highest) + 1, -1);
    // The first of equal IDs answers, as in the sorted list.
    for (size_t i = ids.size(); i-- > 0;)
      table[ids[i]] = static_cast<int>(i);
    return;
  }
  sorted.reserve(ids.size());
  for (size_t i = 0; i < ids.size(); ++i)
    sorted.emplace_back(ids[i], static_cast<int>(i));
  std::sort(sorted.begin(), sorted.end());
}

int indexFromId(const std::vector<int>& table, const std::vector<std::pair<MQDWORD, int>>& sorted,
                MQDWORD id) {
  if (id == 0)
    return -1;
  if (!table.empty())
    return id < table.size() ? table[id] : -1;
  auto it = std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(id, -1));
  return it != sorted.end() && it->first == id ? it->second : -1;
}

} // namespace

void Object::buildCaches() const {
  if (cachesValid_)
    return;
  const size_t n = positions.size();
  const size_t faces = faceIds.size();
  refCounts_.assign(n, 0);
  relatedOffsets_.assign(n + 1, 0);
  // A face counts once among a vertex's related faces however often it uses the vertex: the
  // last face that counted each vertex is remembered, so a face of any size costs its corners.
  std::vector<int> lastFace(n, -1);
  auto forEachDistinctPoint = [&](size_t f, auto&& visit) {
    for (size_t c = faceStart[f]; c < faceStart[f + 1]; ++c) {
      const int p = points[c];
      if (p < 0 || static_cast<size_t>(p) >= n || lastFace[static_cast<size_t>(p)] == int(f))
        continue;
      lastFace[static_cast<size_t>(p)] = static_cast<int>(f);
      visit(p);
    }
  };
  for (int p : points)
    if (p >= 0 && static_cast<size_t>(p) < n)
      ++refCounts_[static_cast<size_t>(p)];
  for (size_t f = 0; f < faces; ++f)
    forEachDistinctPoint(f, [&](int p) { ++relatedOffsets_[static_cast<size_t>(p) + 1]; });
  for (size_t i = 0; i < n; ++i)
    relatedOffsets_[i + 1] += relatedOffsets_[i];
  relatedFaces_.assign(static_cast<size_t>(relatedOffsets_[n]), 0);
  std::vector<int> fill(relatedOffsets_.begin(), relatedOffsets_.end() - 1);
  std::fill(lastFace.begin(), lastFace.end(), -1);
  for (size_t f = 0; f < faces; ++f)
    forEachDistinctPoint(f, [&](int p) {
      relatedFaces_[static_cast<size_t>(fill[static_cast<size_t>(p)]++)] = static_cast<int>(f);
    });
  buildIdLookup(vertexIds, vertexByIdTable_, vertexIds_);
  buildIdLookup(faceIds, faceByIdTable_, faceIds_);
  cachesValid_ = true;
}

int Object::refCount(int vertex) const {
  buildCaches();
  return vertex >= 0 && vertex < vertexCount() ? refCounts_[static_cast<size_t>(vertex)] : 0;
}

int Object::relatedFaces(int vertex, const int** first) const {
  buildCaches();
  if (vertex < 0 || vertex >= vertexCount()) {
    *first = nullptr;
    return 0;
  }
  const size_t v = static_cast<size_t>(vertex);
  *first = relatedFaces_.data() + relatedOffsets_[v];
  return relatedOffsets_[v + 1] - relatedOffsets_[v];
}

std::vector<int> Object::relatedFaces(int vertex) const {
  const int* first = nullptr;
  const int count = relatedFaces(vertex, &first);
  return std::vector<int>(first, first + count);
}

int Object::vertexIndexFromUniqueId(MQDWORD id) const {
  buildCaches();
  return indexFromId(vertexByIdTable_, vertexIds_, id);
}

int Object::faceIndexFromUniqueId(MQDWORD id) const {
  buildCaches();
  return indexFromId(faceByIdTable_, faceIds_, id);
}

} // namespace sim
