// The simulated host's process-wide state: which documents and objects are alive (so that every
// handle the plug-in passes can be checked before use), the objects outside any document, and
// the strict-mode record. Internal to the simulated host.
#pragma once

#include "SimHost.h"
#include "SimHostile.h"

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace sim {

// The counts the host answered while a hostile mode is active, per element asked about.
struct HostileAnswers {
  std::unordered_map<const void*, int> objectCount;        // per document
  std::unordered_map<const void*, int> vertexCount;        // per object
  std::unordered_map<const void*, int> faceCount;          // per object
  std::map<std::pair<const void*, int>, int> pointCount;   // per object and face
  std::map<std::pair<const void*, int>, int> relatedCount; // per object and vertex
  void clear() {
    objectCount.clear();
    vertexCount.clear();
    faceCount.clear();
    pointCount.clear();
    relatedCount.clear();
  }
};

struct HostState {
  std::unordered_set<const Document*> documents;
  std::unordered_set<const Object*> objects; // every live object, in a document or detached
  std::unordered_set<Object*> detached;
  bool strict = false;
  std::vector<std::string> misuses;
  size_t misusesDropped = 0; // beyond the record's limit, counted only
  Hostile hostile = Hostile::None;
  int hugeCount = 65536;
  HostileAnswers answers;
};

HostState& hostState();

// Checked handle conversions for the exported functions: null (and a recorded misuse naming the
// function) when the handle is not a live document or object.
Document* checkedDocument(MQDocument handle, const char* function);
Object* checkedObject(MQObject handle, const char* function);
bool checkedIndex(int index, int count, const char* function, const char* what);
bool checkedPointer(const void* pointer, const char* function, const char* what);

// Hostile modes (SimHostile.h). What the host answers for a count whose real value is given:
// the object, vertex and face counts are totals, point and related-face counts arrays.
enum class CountKind { Total, Array };
int hostileCount(int real, CountKind kind);
// Where an index lies for an element whose count was answered (null: not asked, or no hostile
// mode): Real (a real element), Phantom (inside the answer, past the real elements: answered
// as empty, nothing recorded) or Past (outside the answer or the real range: recorded).
enum class Reach { Real, Phantom, Past };
Reach reach(int index, int real, const int* answered, const char* function, const char* what);
// The answer remembered in a map, or null.
template <typename Map, typename Key> const int* answerIn(const Map& map, const Key& key) {
  if (hostState().hostile == Hostile::None)
    return nullptr;
  auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}
// How many entries a fill call may write (or a set call read) for an element of real size
// `real` whose count was answered as `answered` (null: not asked).
int fillLimit(int real, const int* answered, const char* function, const char* what);

// Lets the exported functions reach an object's document link.
struct HostAccess {
  static void setDocument(Object* object, Document* document) { object->document_ = document; }
};

} // namespace sim
