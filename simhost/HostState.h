// The simulated host's process-wide state: which documents and objects are alive (so that every
// handle the plug-in passes can be checked before use), the objects outside any document, and
// the strict-mode record. Internal to the simulated host.
#pragma once

#include "SimHost.h"

#include <string>
#include <unordered_set>

namespace sim {

struct HostState {
  std::unordered_set<const Document*> documents;
  std::unordered_set<const Object*> objects; // every live object, in a document or detached
  std::unordered_set<Object*> detached;
  bool strict = false;
  std::vector<std::string> misuses;
};

HostState& hostState();

// Checked handle conversions for the exported functions: null (and a recorded misuse naming the
// function) when the handle is not a live document or object.
Document* checkedDocument(MQDocument handle, const char* function);
Object* checkedObject(MQObject handle, const char* function);
bool checkedIndex(int index, int count, const char* function, const char* what);
bool checkedPointer(const void* pointer, const char* function, const char* what);

// Lets the exported functions reach an object's document link.
struct HostAccess {
  static void setDocument(Object* object, Document* document) { object->document_ = document; }
};

} // namespace sim
