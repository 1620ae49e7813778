// One host's state (SimHost.h: Host): which documents and objects are alive (so that every
// handle the plug-in passes can be checked before use), the objects outside any document, the
// strict-mode record, the hostile mode, the call counters and the widgets. The exported functions
// act on the current host's state, hostState(); the checks that every one of them makes are
// inline here: a good handle or index costs a hash probe or a comparison, and a misuse is
// recorded out of line. Internal to the simulated host; relies on tsl::robin_set (Debian's
// robin-map-dev).
#pragma once

#include "SimHost.h"
#include "SimHostile.h"
#include "WidgetHost.h"

#include <tsl/robin_set.h>

#include <cstdint>
#include <map>
#include <memory>
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

// Pointers spread by a multiplication (Fibonacci hashing), since their low bits are always 0.
struct PointerHash {
  size_t operator()(const void* pointer) const {
    return static_cast<size_t>((reinterpret_cast<std::uintptr_t>(pointer) >> 4) *
                                   std::uint64_t(0x9E3779B97F4A7C15ull) >>
                               16);
  }
};
using PointerSet = tsl::robin_set<const void*, PointerHash>;

// The live objects. A plug-in asks about the same one or two objects many times in a row (a
// Source element and the element it fills), so the last two handles found are remembered: asking
// again costs a comparison, not a hash probe. Taking an object out forgets it at once, so a
// stale handle is never answered as live.
class LiveObjects {
public:
  bool contains(const void* object) const {
    if (object && (object == recent_[0] || object == recent_[1]))
      return true;
    if (!set_.count(object))
      return false;
    recent_[1] = recent_[0];
    recent_[0] = object;
    return true;
  }
  void insert(const void* object) { set_.insert(object); }
  void erase(const void* object) {
    for (const void*& remembered : recent_)
      if (remembered == object)
        remembered = nullptr;
    set_.erase(object);
  }

private:
  PointerSet set_;
  mutable const void* recent_[2] = {nullptr, nullptr};
};

// One counter per host function, in binding order.
enum HostFunction : int {
#define SIMHOST_FUNCTION_ID(name, called) kHostFunction_##name,
  MQ_HOST_FUNCTIONS(SIMHOST_FUNCTION_ID)
#undef SIMHOST_FUNCTION_ID
      kHostFunctionCount
};

struct HostState {
  HostState() : widgets(*this) {}
  HostState(const HostState&) = delete;
  HostState& operator=(const HostState&) = delete;

  // Records a misuse when strict mode is on.
  void recordMisuse(const std::string& what);

  std::vector<std::unique_ptr<Document>> ownedDocuments;
  PointerSet documents;
  LiveObjects objects; // every live object, in a document or detached
  std::unordered_set<Object*> detached;
  bool strict = false;
  std::vector<std::string> misuses;
  size_t misusesDropped = 0; // beyond the record's limit, counted only
  Hostile hostile = Hostile::None;
  int hugeCount = 65536;
  HostileAnswers answers;
  unsigned long long calls[kHostFunctionCount] = {};
  WidgetHost widgets;
};

// The state the exported functions act on: the current host's, or an idle host's when none is
// alive (see SimHost.h: Host).
extern HostState* theCurrentState;
inline HostState& hostState() {
  return *theCurrentState;
}

inline Document* liveDocument(MQDocument handle) {
  auto* document = reinterpret_cast<Document*>(handle);
  return hostState().documents.count(document) ? document : nullptr;
}
inline Object* liveObject(MQObject handle) {
  auto* object = reinterpret_cast<Object*>(handle);
  return hostState().objects.contains(object) ? object : nullptr;
}

// The misuse records of the checks below (nothing is built when strict mode is off).
void badDocument(MQDocument handle, const char* function);
void badObject(MQObject handle, const char* function);
void badIndex(int index, int count, const char* function, const char* what);

// Checked handle conversions for the exported functions: null (and a recorded misuse naming the
// function) when the handle is not a live document or object.
inline Document* checkedDocument(MQDocument handle, const char* function) {
  Document* document = liveDocument(handle);
  if (!document)
    badDocument(handle, function);
  return document;
}
inline Object* checkedObject(MQObject handle, const char* function) {
  Object* object = liveObject(handle);
  if (!object)
    badObject(handle, function);
  return object;
}
inline bool checkedIndex(int index, int count, const char* function, const char* what) {
  if (static_cast<unsigned>(index) < static_cast<unsigned>(count))
    return true;
  badIndex(index, count, function, what);
  return false;
}
void nullPointer(const char* function, const char* what);
inline bool checkedPointer(const void* pointer, const char* function, const char* what) {
  if (pointer)
    return true;
  nullPointer(function, what);
  return false;
}
// Records a misuse of the current host (nothing when strict mode is off).
inline void recordMisuse(const std::string& what) {
  hostState().recordMisuse(what);
}
// Records a misuse made of parts, building the text only in strict mode.
void misuse(const char* function, const std::string& what);

// Hostile modes (SimHostile.h). What the host answers for a count whose real value is given:
// the object, vertex and face counts are totals, point and related-face counts arrays.
enum class CountKind { Total, Array };
int hostileCount(int real, CountKind kind);
// Where an index lies for an element whose count was answered (null: not asked, or no hostile
// mode): Real (a real element), Phantom (inside the answer, past the real elements: answered
// as empty, nothing recorded) or Past (outside the answer or the real range: recorded).
enum class Reach { Real, Phantom, Past };
Reach reachPastAnswer(int index, int real, int answered, const char* function, const char* what);
inline Reach reach(int index, int real, const int* answered, const char* function,
                   const char* what) {
  if (!answered)
    return checkedIndex(index, real, function, what) ? Reach::Real : Reach::Past;
  return reachPastAnswer(index, real, *answered, function, what);
}
inline bool hostileMode() {
  return hostState().hostile != Hostile::None;
}
template <typename Map, typename Key> const int* rememberedAnswer(const Map& map, const Key& key) {
  auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}
// The answer remembered in a map, or null (always null without a hostile mode).
template <typename Map, typename Key> inline const int* answerIn(const Map& map, const Key& key) {
  return hostileMode() ? rememberedAnswer(map, key) : nullptr;
}
// How many entries a fill call may write (or a set call read) for an element of real size
// `real` whose count was answered as `answered` (null: not asked).
int fillLimit(int real, const int* answered, const char* function, const char* what);

// Lets the host's own code reach an object's document link and set a name the host's way.
struct HostAccess {
  static void setDocument(Object* object, Document* document) {
    object->place_.document = document;
  }
  static void setName(Object* object, std::string name) { object->name_ = std::move(name); }
  static HostState& state(Host& host) { return *host.state_; }
};

} // namespace sim
