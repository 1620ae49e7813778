// The host's process-wide state: strict mode and its record, the handle checks' misuse records,
// the objects outside any document, the call counters and the module's own file name.
#include "Exports.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace sim {

HostState theHostState;

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

void misuse(const char* function, const std::string& what) {
  if (hostState().strict)
    recordMisuse(std::string(function) + ": " + what);
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
  return liveDocument(handle);
}

Object* objectFromHandle(MQObject handle) {
  return liveObject(handle);
}

void badDocument(MQDocument handle, const char* function) {
  misuse(function, handle ? "unknown document" : "null document");
}

void badObject(MQObject handle, const char* function) {
  misuse(function, handle ? "unknown or deleted object" : "null object");
}

void badIndex(int index, int count, const char* function, const char* what) {
  if (strict())
    misuse(function, std::string(what) + " " + std::to_string(index) + " out of range 0.." +
                         std::to_string(count - 1));
}

void nullPointer(const char* function, const char* what) {
  misuse(function, std::string("null ") + what);
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
