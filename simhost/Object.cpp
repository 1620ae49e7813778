// An object's flat arrays and the tables built from them (SimHost.h: Object).
#include "SimHost.h"

#include <algorithm>
#include <cstring>

namespace sim {

Object::Object(std::string objectName) : name_(std::move(objectName)) {
  faceStart.assign({0});
}

std::vector<MQDWORD>& Object::editVertexIds() {
  invalidateCaches();
  return vertexIds.edit();
}

std::vector<MQDWORD>& Object::editFaceIds() {
  invalidateCaches();
  return faceIds.edit();
}

std::vector<size_t>& Object::editFaceStart() {
  invalidateCaches();
  return faceStart.edit();
}

std::vector<int>& Object::editPoints() {
  invalidateCaches();
  return points.edit();
}

int Object::addVertex(MQPoint position) {
  editPositions().push_back(position);
  editVertexIds().push_back(nextVertexUniqueId++);
  editWeights().push_back(1.0f);
  return vertexCount() - 1;
}

int Object::addFace(const std::vector<int>& facePoints) {
  return addFace(facePoints.data(), static_cast<int>(facePoints.size()));
}

int Object::addFace(const int* facePoints, int count) {
  const size_t n = static_cast<size_t>(std::max(count, 0));
  std::vector<int>& corners = editPoints();
  corners.insert(corners.end(), facePoints, facePoints + n);
  editUvs().resize(corners.size(), MQCoordinate{0, 0});
  editCreases().resize(corners.size(), 0.0f);
  editFaceStart().push_back(corners.size());
  editFaceIds().push_back(nextFaceUniqueId++);
  editMaterials().push_back(-1);
  return faceCount() - 1;
}

void Object::setFacePoints(int face, const std::vector<int>& newPoints) {
  const size_t f = static_cast<size_t>(face);
  std::vector<size_t>& start = editFaceStart();
  const size_t first = start.at(f), last = start.at(f + 1);
  const auto at = [first](auto& corners) { return corners.begin() + static_cast<long>(first); };
  std::vector<int>& corners = editPoints();
  corners.erase(at(corners), at(corners) + static_cast<long>(last - first));
  corners.insert(at(corners), newPoints.begin(), newPoints.end());
  std::vector<MQCoordinate>& cornerUvs = editUvs();
  cornerUvs.erase(at(cornerUvs), at(cornerUvs) + static_cast<long>(last - first));
  cornerUvs.insert(at(cornerUvs), newPoints.size(), MQCoordinate{0, 0});
  std::vector<float>& cornerCreases = editCreases();
  cornerCreases.erase(at(cornerCreases), at(cornerCreases) + static_cast<long>(last - first));
  cornerCreases.insert(at(cornerCreases), newPoints.size(), 0.0f);
  for (size_t g = f + 1; g < start.size(); ++g)
    start[g] = start[g] - (last - first) + newPoints.size();
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
  std::copy(faceUvs.begin(), faceUvs.begin() + static_cast<long>(n), editFaceUvs(face));
}

void Object::setFaceCreases(int face, const std::vector<float>& faceCreases) {
  const size_t n = std::min(faceCreases.size(), static_cast<size_t>(facePointCount(face)));
  std::copy(faceCreases.begin(), faceCreases.begin() + static_cast<long>(n), editFaceCreases(face));
}

void Object::copyGeometry(const Object& from) {
  // The tables go with the arrays they answer for (made now when the original has none yet, so
  // that the first of the two to be asked builds them for both).
  if (!from.tables_)
    from.tables_ = std::make_shared<Tables>();
  const std::shared_ptr<Tables> tables = from.tables_;
  positions = from.positions;
  vertexIds = from.vertexIds;
  weights = from.weights;
  nextVertexUniqueId = from.nextVertexUniqueId;
  shareFaces(from);
  tables_ = tables;
}

void Object::shareFaces(const Object& from) {
  faceIds = from.faceIds;
  materials = from.materials;
  faceStart = from.faceStart;
  points = from.points;
  uvs = from.uvs;
  creases = from.creases;
  nextFaceUniqueId = from.nextFaceUniqueId;
  invalidateCaches();
}

namespace {

template <typename T> bool sameBytes(const SharedArray<T>& a, const SharedArray<T>& b) {
  return a.sameBlock(b) ||
         (a.size() == b.size() &&
          (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0));
}

template <typename T> void shareIfEqual(SharedArray<T>& mine, const SharedArray<T>& theirs) {
  if (!mine.sameBlock(theirs) && sameBytes(mine, theirs))
    mine = theirs;
}

} // namespace

void Object::shareEqualArrays(const Object& other) {
  // Bytes, not values: a NaN equals itself here, and -0 differs from 0, as the file held them.
  shareIfEqual(positions, other.positions);
  shareIfEqual(vertexIds, other.vertexIds);
  shareIfEqual(weights, other.weights);
  shareIfEqual(faceIds, other.faceIds);
  shareIfEqual(materials, other.materials);
  shareIfEqual(faceStart, other.faceStart);
  shareIfEqual(points, other.points);
  shareIfEqual(uvs, other.uvs);
  shareIfEqual(creases, other.creases);
}

void Object::truncateVertices(int count) {
  const size_t n = std::min(positions.size(), static_cast<size_t>(std::max(count, 0)));
  editPositions().resize(n);
  editVertexIds().resize(n);
  editWeights().resize(n);
}

void Object::truncateFaces(int count) {
  const size_t n = std::min(faceIds.size(), static_cast<size_t>(std::max(count, 0)));
  editFaceIds().resize(n);
  editMaterials().resize(n);
  editFaceStart().resize(n + 1);
  editPoints().resize(faceStart[n]);
  editUvs().resize(faceStart[n]);
  editCreases().resize(faceStart[n]);
}

void Object::reserve(size_t vertices, size_t faces, size_t corners) {
  editPositions().reserve(vertices);
  editVertexIds().reserve(vertices);
  editWeights().reserve(vertices);
  editFaceIds().reserve(faces);
  editMaterials().reserve(faces);
  editFaceStart().reserve(faces + 1);
  editPoints().reserve(corners);
  editUvs().reserve(corners);
  editCreases().reserve(corners);
}

void Object::setVertexUniqueId(int vertex, MQDWORD id) {
  editVertexIds().at(static_cast<size_t>(vertex)) = id;
  nextVertexUniqueId = std::max(nextVertexUniqueId, id + 1);
}

void Object::setFaceUniqueId(int face, MQDWORD id) {
  editFaceIds().at(static_cast<size_t>(face)) = id;
  nextFaceUniqueId = std::max(nextFaceUniqueId, id + 1);
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

struct Object::Tables {
  bool built = false;
  size_t vertices = 0; // the vertex count they were built for
  std::vector<int> refCounts;
  std::vector<int> relatedOffsets;
  std::vector<int> relatedFaces;
  std::vector<int> vertexByIdTable; // by ID when the IDs are dense, else empty
  std::vector<int> faceByIdTable;
  std::vector<std::pair<MQDWORD, int>> vertexIds; // sorted by ID, when not dense
  std::vector<std::pair<MQDWORD, int>> faceIds;
};

void Object::buildCaches() const {
  // Writes to the points or unique IDs drop the tables; a change of the vertex count shows here.
  if (tables_ && tables_->built && tables_->vertices == positions.size())
    return;
  // Tables shared with clones that were never built are built for all of them.
  if (!tables_ || tables_->built)
    tables_ = std::make_shared<Tables>();
  Tables& t = *tables_;
  const size_t n = positions.size();
  const size_t faces = faceIds.size();
  t.refCounts.assign(n, 0);
  t.relatedOffsets.assign(n + 1, 0);
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
      ++t.refCounts[static_cast<size_t>(p)];
  for (size_t f = 0; f < faces; ++f)
    forEachDistinctPoint(f, [&](int p) { ++t.relatedOffsets[static_cast<size_t>(p) + 1]; });
  for (size_t i = 0; i < n; ++i)
    t.relatedOffsets[i + 1] += t.relatedOffsets[i];
  t.relatedFaces.assign(static_cast<size_t>(t.relatedOffsets[n]), 0);
  std::vector<int> fill(t.relatedOffsets.begin(), t.relatedOffsets.end() - 1);
  std::fill(lastFace.begin(), lastFace.end(), -1);
  for (size_t f = 0; f < faces; ++f)
    forEachDistinctPoint(f, [&](int p) {
      t.relatedFaces[static_cast<size_t>(fill[static_cast<size_t>(p)]++)] = static_cast<int>(f);
    });
  buildIdLookup(vertexIds, t.vertexByIdTable, t.vertexIds);
  buildIdLookup(faceIds, t.faceByIdTable, t.faceIds);
  t.vertices = n;
  t.built = true;
}

int Object::refCount(int vertex) const {
  buildCaches();
  return vertex >= 0 && vertex < vertexCount() ? tables_->refCounts[static_cast<size_t>(vertex)]
                                               : 0;
}

int Object::relatedFaces(int vertex, const int** first) const {
  buildCaches();
  if (vertex < 0 || vertex >= vertexCount()) {
    *first = nullptr;
    return 0;
  }
  const size_t v = static_cast<size_t>(vertex);
  const Tables& t = *tables_;
  *first = t.relatedFaces.data() + t.relatedOffsets[v];
  return t.relatedOffsets[v + 1] - t.relatedOffsets[v];
}

std::vector<int> Object::relatedFaces(int vertex) const {
  const int* first = nullptr;
  const int count = relatedFaces(vertex, &first);
  return std::vector<int>(first, first + count);
}

int Object::vertexIndexFromUniqueId(MQDWORD id) const {
  buildCaches();
  return indexFromId(tables_->vertexByIdTable, tables_->vertexIds, id);
}

int Object::faceIndexFromUniqueId(MQDWORD id) const {
  buildCaches();
  return indexFromId(tables_->faceByIdTable, tables_->faceIds, id);
}

} // namespace sim
