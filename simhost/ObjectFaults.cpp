#include "ObjectFaults.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

namespace sim {

namespace {

// A broken array can fault at every index: each rule reports its first few.
constexpr size_t kFaultsPerRule = 20;

// Nothing is allocated for an object without faults, as nearly every object is.
class Faults {
public:
  void add(const std::string& rule, std::string line) {
    if (counts_[rule]++ < kFaultsPerRule)
      lines_.push_back(std::move(line));
  }
  std::vector<std::string> take() {
    for (const auto& [rule, count] : counts_)
      if (count > kFaultsPerRule)
        lines_.push_back("and " + std::to_string(count - kFaultsPerRule) + " more of: " + rule);
    return std::move(lines_);
  }

private:
  std::map<std::string, size_t> counts_;
  std::vector<std::string> lines_;
};

std::string range(size_t count) {
  return count ? "0.." + std::to_string(count - 1) : std::string("(none)");
}

// Whether the face starts are a sound index into the corner arrays.
bool checkFaceStarts(const Object& object, Faults& faults) {
  const size_t faces = object.faceIds.size();
  const std::vector<size_t>& start = object.faceStart;
  if (start.size() != faces + 1) {
    faults.add("face starts", std::to_string(start.size()) + " face starts for " +
                                  std::to_string(faces) + " faces");
    return false;
  }
  bool sound = true;
  if (start[0] != 0) {
    faults.add("face starts", "face 0 starts at corner " + std::to_string(start[0]) + ", not 0");
    sound = false;
  }
  for (size_t f = 0; f < faces; ++f)
    if (start[f + 1] < start[f]) {
      faults.add("face starts", "face " + std::to_string(f) + " ends at corner " +
                                    std::to_string(start[f + 1]) + " before it starts at " +
                                    std::to_string(start[f]));
      sound = false;
    }
  if (start[faces] != object.points.size()) {
    faults.add("face starts", "the faces end at corner " + std::to_string(start[faces]) + " but " +
                                  std::to_string(object.points.size()) + " points are held");
    sound = false;
  }
  return sound;
}

void checkArrays(const Object& object, Faults& faults) {
  const size_t n = object.positions.size();
  if (object.vertexIds.size() != n || object.weights.size() != n)
    faults.add("arrays", "vertex arrays differ: " + std::to_string(n) + " positions, " +
                             std::to_string(object.vertexIds.size()) + " unique IDs, " +
                             std::to_string(object.weights.size()) + " weights");
  if (object.materials.size() != object.faceIds.size())
    faults.add("arrays", "face arrays differ: " + std::to_string(object.faceIds.size()) +
                             " unique IDs, " + std::to_string(object.materials.size()) +
                             " materials");
  const size_t corners = object.points.size();
  if (object.uvs.size() != corners)
    faults.add("arrays", std::to_string(object.uvs.size()) + " UVs for " + std::to_string(corners) +
                             " corners");
  if (object.creases.size() != corners)
    faults.add("arrays", std::to_string(object.creases.size()) + " creases for " +
                             std::to_string(corners) + " corners");
}

void checkIndices(const Object& object, bool facesSound, Faults& faults) {
  const size_t n = object.positions.size();
  // One pass over the corners; the face of a bad one is looked up in the face starts.
  const std::vector<size_t>& start = object.faceStart;
  for (size_t corner = 0; facesSound && corner < object.points.size(); ++corner) {
    const int p = object.points[corner];
    if (static_cast<size_t>(static_cast<unsigned>(p)) < n)
      continue;
    const size_t f =
        static_cast<size_t>(std::upper_bound(start.begin(), start.end(), corner) - start.begin()) -
        1;
    faults.add("face points", "face " + std::to_string(f) + " corner " +
                                  std::to_string(corner - start[f]) + ": point " +
                                  std::to_string(p) + " out of range " + range(n));
  }
  for (int v : object.selectedVertices)
    if (v < 0 || static_cast<size_t>(v) >= n)
      faults.add("selection", "selected vertex " + std::to_string(v) + " out of range " + range(n));
  for (int f : object.selectedFaces)
    if (f < 0 || f >= object.faceCount())
      faults.add("selection", "selected face " + std::to_string(f) + " out of range " +
                                  range(object.faceIds.size()));
}

// Calls twice(i, j) for each index i whose ID an earlier index j bore already.
template <typename Twice> void forEachRepeatedId(const std::vector<MQDWORD>& ids, Twice&& twice) {
  const MQDWORD highest = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
  if (highest <= 2 * ids.size() + 1024) { // dense, as IDs nearly always are: by ID
    std::vector<int> first(size_t(highest) + 1, -1);
    for (size_t i = 0; i < ids.size(); ++i) {
      int& holder = first[ids[i]];
      if (holder >= 0)
        twice(i, size_t(holder));
      else
        holder = static_cast<int>(i);
    }
    return;
  }
  std::vector<std::pair<MQDWORD, size_t>> byId;
  for (size_t i = 0; i < ids.size(); ++i)
    byId.emplace_back(ids[i], i);
  std::sort(byId.begin(), byId.end());
  for (size_t k = 1; k < byId.size(); ++k)
    if (byId[k].first == byId[k - 1].first)
      twice(byId[k].second, byId[k - 1].second);
}

void checkIds(const char* what, const std::vector<MQDWORD>& ids, MQDWORD next, Faults& faults) {
  const auto rule = [what]() { return std::string(what) + " unique IDs"; };
  const auto at = [what](size_t i) { return std::string(what) + " " + std::to_string(i); };
  for (size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == 0)
      faults.add(rule(), at(i) + ": unique ID 0");
    else if (ids[i] >= next)
      faults.add(rule(), at(i) + ": unique ID " + std::to_string(ids[i]) +
                             " not below the next ID " + std::to_string(next));
  forEachRepeatedId(ids, [&](size_t i, size_t earlier) {
    if (ids[i] != 0)
      faults.add(rule(),
                 at(i) + ": unique ID " + std::to_string(ids[i]) + " also borne by " + at(earlier));
  });
}

} // namespace

namespace {

// The rules on the arrays alone: they depend on the positions only through their count.
Faults arrayFaults(const Object& object) {
  Faults faults;
  checkArrays(object, faults);
  const bool facesSound = checkFaceStarts(object, faults);
  checkIndices(object, facesSound, faults);
  checkIds("vertex", object.vertexIds, object.nextVertexUniqueId, faults);
  checkIds("face", object.faceIds, object.nextFaceUniqueId, faults);
  return faults;
}

std::vector<std::string> withName(const Object& object, Faults faults) {
  if (object.name().size() > kNameBytes)
    faults.add("name", "name of " + std::to_string(object.name().size()) + " bytes, over the " +
                           std::to_string(kNameBytes) + " a host keeps");
  return faults.take();
}

} // namespace

std::vector<std::string> objectFaults(const Object& object) {
  return withName(object, arrayFaults(object));
}

struct ObjectChecks::Found {
  Faults faults;
};

ObjectChecks::ObjectChecks() = default;
ObjectChecks::~ObjectChecks() = default;

std::vector<std::string> ObjectChecks::faults(const Object& object) {
  const auto at = [](const auto& array) { return reinterpret_cast<std::uintptr_t>(array.data()); };
  const Key key = {at(object.vertexIds),    object.vertexIds.size(),
                   at(object.weights),      object.weights.size(),
                   at(object.faceIds),      object.faceIds.size(),
                   at(object.materials),    object.materials.size(),
                   at(object.faceStart),    object.faceStart.size(),
                   at(object.points),       object.points.size(),
                   at(object.uvs),          object.uvs.size(),
                   at(object.creases),      object.creases.size(),
                   object.positions.size(), object.nextVertexUniqueId,
                   object.nextFaceUniqueId, 0};
  auto found = faults_.find(key);
  if (found == faults_.end())
    found = faults_.emplace(key, std::make_unique<Found>(Found{arrayFaults(object)})).first;
  return withName(object, found->second->faults);
}

namespace {

// Whether any of the floats is a NaN or an infinity: all exponent bits set. One pass without
// branches, since nearly every object has none.
bool anyNonFinite(const float* values, size_t count) {
  std::uint32_t found = 0;
  for (size_t i = 0; i < count; ++i) {
    std::uint32_t bits;
    std::memcpy(&bits, values + i, sizeof bits);
    found |= static_cast<std::uint32_t>((bits & 0x7F800000u) == 0x7F800000u);
  }
  return found != 0;
}

template <typename T> bool anyNonFinite(const std::vector<T>& values) {
  static_assert(sizeof(T) % sizeof(float) == 0, "float records");
  // For T = float the quotient is 1, which is what is meant.
  const size_t floatsPerRecord = sizeof(T) / sizeof(float); // NOLINT(bugprone-sizeof-expression)
  return anyNonFinite(reinterpret_cast<const float*>(values.data()),
                      values.size() * floatsPerRecord);
}

} // namespace

std::string nonFiniteValues(const Object& object) {
  if (!anyNonFinite(object.positions.values()) && !anyNonFinite(object.weights.values()) &&
      !anyNonFinite(object.uvs.values()) && !anyNonFinite(object.creases.values()))
    return std::string();
  std::string first;
  size_t count = 0;
  const auto note = [&](float value, const char* what, size_t index) {
    if (std::isfinite(value))
      return;
    if (count++ == 0)
      first = std::string(what) + " " + std::to_string(index) + ": " +
              (std::isnan(value) ? "NaN" : "infinity");
  };
  for (size_t v = 0; v < object.positions.size(); ++v) {
    note(object.positions[v].x, "vertex", v);
    note(object.positions[v].y, "vertex", v);
    note(object.positions[v].z, "vertex", v);
  }
  for (size_t v = 0; v < object.weights.size(); ++v)
    note(object.weights[v], "vertex weight", v);
  for (size_t c = 0; c < object.uvs.size(); ++c) {
    note(object.uvs[c].u, "corner UV", c);
    note(object.uvs[c].v, "corner UV", c);
  }
  for (size_t c = 0; c < object.creases.size(); ++c)
    note(object.creases[c], "corner crease", c);
  return first + (count > 1 ? " (" + std::to_string(count) + " values not finite)" : "");
}

std::string ObjectChecks::nonFiniteValues(const Object& object) {
  bool any = anyNonFinite(object.positions.values());
  const auto shared = [&](const auto& array) {
    if (any || finite_.count(array.data()))
      return;
    any = anyNonFinite(array.values());
    if (!any)
      finite_.insert(array.data());
  };
  shared(object.weights);
  shared(object.uvs);
  shared(object.creases);
  return any ? sim::nonFiniteValues(object) : std::string();
}

} // namespace sim
