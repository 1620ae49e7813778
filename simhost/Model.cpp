#include "Exports.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace sim {

HostState& hostState() {
  static HostState state;
  return state;
}

// A plug-in looping over a hostile count can misuse the host millions of times: the record
// keeps the first lines and counts the rest.
constexpr size_t kMisuseLinesKept = 1000;

void recordMisuse(const std::string& what) {
  HostState& state = hostState();
  if (!state.strict)
    return;
  if (state.misuses.size() < kMisuseLinesKept)
    state.misuses.push_back(what);
  else
    ++state.misusesDropped;
}

void setStrict(bool strict) {
  hostState().strict = strict;
}
bool strict() {
  return hostState().strict;
}
std::vector<std::string> misuses() {
  const HostState& state = hostState();
  std::vector<std::string> lines = state.misuses;
  if (state.misusesDropped)
    lines.push_back("... and " + std::to_string(state.misusesDropped) + " more");
  return lines;
}
void clearMisuses() {
  hostState().misuses.clear();
  hostState().misusesDropped = 0;
}

Document* documentFromHandle(MQDocument handle) {
  auto* document = reinterpret_cast<Document*>(handle);
  return hostState().documents.count(document) ? document : nullptr;
}

Object* objectFromHandle(MQObject handle) {
  auto* object = reinterpret_cast<Object*>(handle);
  return hostState().objects.count(object) ? object : nullptr;
}

Document* checkedDocument(MQDocument handle, const char* function) {
  Document* document = documentFromHandle(handle);
  if (!document)
    recordMisuse(std::string(function) + ": " + (handle ? "unknown document" : "null document"));
  return document;
}

Object* checkedObject(MQObject handle, const char* function) {
  Object* object = objectFromHandle(handle);
  if (!object)
    recordMisuse(std::string(function) + ": " +
                 (handle ? "unknown or deleted object" : "null object"));
  return object;
}

bool checkedIndex(int index, int count, const char* function, const char* what) {
  if (index >= 0 && index < count)
    return true;
  recordMisuse(std::string(function) + ": " + what + " " + std::to_string(index) +
               " out of range 0.." + std::to_string(count - 1));
  return false;
}

bool checkedPointer(const void* pointer, const char* function, const char* what) {
  if (pointer)
    return true;
  recordMisuse(std::string(function) + ": null " + what);
  return false;
}

std::vector<Object*> detachedObjects() {
  std::vector<Object*> result(hostState().detached.begin(), hostState().detached.end());
  std::sort(result.begin(), result.end(),
            [](const Object* a, const Object* b) { return a->name < b->name; });
  return result;
}

void freeDetachedObjects() {
  HostState& state = hostState();
  for (Object* object : state.detached) {
    state.objects.erase(object);
    delete object;
  }
  state.detached.clear();
}

// ---- Object ----

Object::Object(std::string name) : name(std::move(name)) {}

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
  vertexIds_.clear();
  vertexIds_.reserve(n);
  for (size_t i = 0; i < n; ++i)
    vertexIds_.emplace_back(vertexIds[i], static_cast<int>(i));
  std::sort(vertexIds_.begin(), vertexIds_.end());
  faceIds_.clear();
  faceIds_.reserve(faces);
  for (size_t i = 0; i < faces; ++i)
    faceIds_.emplace_back(faceIds[i], static_cast<int>(i));
  std::sort(faceIds_.begin(), faceIds_.end());
  cachesValid_ = true;
}

int Object::refCount(int vertex) const {
  buildCaches();
  return vertex >= 0 && vertex < vertexCount() ? refCounts_[static_cast<size_t>(vertex)] : 0;
}

std::vector<int> Object::relatedFaces(int vertex) const {
  buildCaches();
  if (vertex < 0 || vertex >= vertexCount())
    return {};
  return std::vector<int>(relatedFaces_.begin() + relatedOffsets_[static_cast<size_t>(vertex)],
                          relatedFaces_.begin() + relatedOffsets_[static_cast<size_t>(vertex) + 1]);
}

namespace {
int indexFromId(const std::vector<std::pair<MQDWORD, int>>& ids, MQDWORD id) {
  auto it = std::lower_bound(ids.begin(), ids.end(), std::make_pair(id, -1));
  return it != ids.end() && it->first == id ? it->second : -1;
}
} // namespace

int Object::vertexIndexFromUniqueId(MQDWORD id) const {
  buildCaches();
  return id == 0 ? -1 : indexFromId(vertexIds_, id);
}

int Object::faceIndexFromUniqueId(MQDWORD id) const {
  buildCaches();
  return id == 0 ? -1 : indexFromId(faceIds_, id);
}

// ---- Document ----

Document::Document() {
  hostState().documents.insert(this);
}

Document::~Document() {
  HostState& state = hostState();
  state.documents.erase(this);
  for (Object* object : slots_) {
    if (object) {
      state.objects.erase(object);
      delete object;
    }
  }
  for (Object* object : removed_)
    delete object;
}

Object* Document::addObject(const std::string& name) {
  auto* object = new Object(name);
  HostAccess::setDocument(object, this);
  hostState().objects.insert(object);
  slots_.push_back(object);
  return object;
}

void Document::addEmptySlot() {
  slots_.push_back(nullptr);
}

Object* Document::objectAt(int slot) const {
  return slot >= 0 && slot < slotCount() ? slots_[static_cast<size_t>(slot)] : nullptr;
}

Object* Document::findObject(const std::string& name) const {
  for (Object* object : slots_)
    if (object && object->name == name)
      return object;
  return nullptr;
}

int Document::indexOf(const Object* object) const {
  if (!object)
    return -1;
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i] == object)
      return static_cast<int>(i);
  return -1;
}

std::vector<Object*> Document::objects() const {
  std::vector<Object*> result;
  for (Object* object : slots_)
    if (object)
      result.push_back(object);
  return result;
}

int Document::insertObject(Object* object, const Object* before) {
  HostState& state = hostState();
  state.detached.erase(object);
  HostAccess::setDocument(object, this);
  const int reference = indexOf(before);
  const size_t at = reference < 0 ? slots_.size() : static_cast<size_t>(reference) + 1;
  slots_.insert(slots_.begin() + static_cast<long>(at), object);
  return static_cast<int>(at);
}

void Document::deleteObject(int slot) {
  Object* object = objectAt(slot);
  if (!object)
    return;
  slots_[static_cast<size_t>(slot)] = nullptr;
  hostState().objects.erase(object);
  HostAccess::setDocument(object, nullptr);
  removed_.push_back(object);
}

std::string Document::unusedObjectName(const std::string& proposal) const {
  if (!findObject(proposal))
    return proposal;
  for (unsigned long n = 2;; ++n) {
    std::string candidate = proposal + std::to_string(n);
    if (!findObject(candidate))
      return candidate;
  }
}

// ---- describe ----

namespace {
std::string floatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  char text[48];
  std::snprintf(text, sizeof text, "%.9g#%08x", static_cast<double>(value), bits);
  return text;
}
} // namespace

std::string describe(const Document& document) {
  std::string out;
  for (int s = 0; s < document.slotCount(); ++s) {
    const Object* object = document.objectAt(s);
    out += "slot " + std::to_string(s);
    if (!object) {
      out += " empty\n";
      continue;
    }
    out += " name=" + object->name + " depth=" + std::to_string(object->depth) +
           " locked=" + std::to_string(object->locked) +
           " selected=" + std::to_string(object->selected) +
           " visible=" + std::to_string(object->visible) + "\n";
    for (size_t v = 0; v < object->positions.size(); ++v) {
      const MQPoint& p = object->positions[v];
      out += " v" + std::to_string(v) + " " + floatBits(p.x) + " " + floatBits(p.y) + " " +
             floatBits(p.z) + " id=" + std::to_string(object->vertexIds[v]) +
             " w=" + floatBits(object->weights[v]) + "\n";
    }
    for (int f = 0; f < object->faceCount(); ++f) {
      out += " f" + std::to_string(f) + " id=" + std::to_string(object->faceIds[size_t(f)]) +
             " mat=" + std::to_string(object->materials[size_t(f)]) + " pts";
      const int n = object->facePointCount(f);
      for (int c = 0; c < n; ++c)
        out += " " + std::to_string(object->facePoints(f)[c]);
      out += " uv";
      for (int c = 0; c < n; ++c)
        out += " " + floatBits(object->faceUvs(f)[c].u) + "," + floatBits(object->faceUvs(f)[c].v);
      out += " crease";
      for (int c = 0; c < n; ++c)
        out += " " + floatBits(object->faceCreases(f)[c]);
      out += "\n";
    }
    out += " selv";
    for (int v : object->selectedVertices)
      out += " " + std::to_string(v);
    out += " self";
    for (int f : object->selectedFaces)
      out += " " + std::to_string(f);
    out += "\n";
  }
  return out;
}

unsigned long long hostCallCounters[kHostFunctionCount] = {};

std::map<std::string, unsigned long long> callCounts() {
  static const char* const names[] = {
#define SIMHOST_FUNCTION_NAME(name, called) #name,
      MQ_HOST_FUNCTIONS(SIMHOST_FUNCTION_NAME)
#undef SIMHOST_FUNCTION_NAME
  };
  std::map<std::string, unsigned long long> counts;
  for (int f = 0; f < kHostFunctionCount; ++f)
    if (hostCallCounters[f])
      counts.emplace(names[f], hostCallCounters[f]);
  return counts;
}

void resetCallCounts() {
  std::fill(std::begin(hostCallCounters), std::end(hostCallCounters), 0ull);
}

const char* moduleFileName() {
  static std::string name;
#ifdef _WIN32
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&moduleFileName), &module);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  name = path;
#else
  Dl_info info{};
  dladdr(reinterpret_cast<void*>(&moduleFileName), &info);
  name = info.dli_fname ? info.dli_fname : "";
#endif
  return name.c_str();
}

} // namespace sim
