// A host's lifetime and which host is current, its strict mode and record, the handle checks'
// misuse records, the objects outside any document, the call counters and the module's own file
// name (SimHost.h: Host).
#include "Exports.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace sim {

namespace {

// What the exported functions act on while no host is alive: a host with no document, in which
// every handle is unknown. Nobody reads its records.
HostState idleState;

// Every host alive, oldest first: when the current one goes, the latest-made one takes over.
std::vector<HostState*>& liveHosts() {
  static std::vector<HostState*> hosts;
  return hosts;
}

// A plug-in looping over a hostile count can misuse the host millions of times: the record
// keeps the first lines and counts the rest.
constexpr size_t kMisuseLinesKept = 1000;

} // namespace

HostState* theCurrentState = &idleState;

void HostState::recordMisuse(const std::string& what) {
  if (!strict)
    return;
  if (misuses.size() < kMisuseLinesKept)
    misuses.push_back(what);
  else
    ++misusesDropped;
}

void misuse(const char* function, const std::string& what) {
  if (hostState().strict)
    recordMisuse(std::string(function) + ": " + what);
}

void badDocument(MQDocument handle, const char* function) {
  misuse(function, handle ? "unknown document" : "null document");
}

void badObject(MQObject handle, const char* function) {
  misuse(function, handle ? "unknown or deleted object" : "null object");
}

void badIndex(int index, int count, const char* function, const char* what) {
  if (hostState().strict)
    misuse(function, std::string(what) + " " + std::to_string(index) + " out of range 0.." +
                         std::to_string(count - 1));
}

void nullPointer(const char* function, const char* what) {
  misuse(function, std::string("null ") + what);
}

// ---- Host ----

Host::Host() : state_(std::make_unique<HostState>()) {
  liveHosts().push_back(state_.get());
  theCurrentState = state_.get();
}

Host::~Host() {
  HostState& state = *state_;
  // Documents first: they take their objects out of the live set as they go.
  while (!state.ownedDocuments.empty())
    closeDocument(*state.ownedDocuments.back());
  freeDetachedObjects();
  auto& hosts = liveHosts();
  hosts.erase(std::remove(hosts.begin(), hosts.end(), &state), hosts.end());
  if (theCurrentState == &state)
    theCurrentState = hosts.empty() ? &idleState : hosts.back();
}

void Host::makeCurrent() {
  theCurrentState = state_.get();
}

bool Host::isCurrent() const {
  return theCurrentState == state_.get();
}

Document& Host::newDocument() {
  state_->ownedDocuments.push_back(std::unique_ptr<Document>(new Document(*this)));
  return *state_->ownedDocuments.back();
}

void Host::closeDocument(Document& document) {
  auto& owned = state_->ownedDocuments;
  const auto it = std::find_if(owned.begin(), owned.end(),
                               [&document](const auto& held) { return held.get() == &document; });
  if (it != owned.end())
    owned.erase(it);
}

Document* Host::documentFromHandle(MQDocument handle) const {
  auto* document = reinterpret_cast<Document*>(handle);
  return state_->documents.count(document) ? document : nullptr;
}

Object* Host::objectFromHandle(MQObject handle) const {
  auto* object = reinterpret_cast<Object*>(handle);
  return state_->objects.contains(object) ? object : nullptr;
}

std::vector<Object*> Host::detachedObjects() const {
  std::vector<Object*> result(state_->detached.begin(), state_->detached.end());
  std::sort(result.begin(), result.end(),
            [](const Object* a, const Object* b) { return a->name() < b->name(); });
  return result;
}

void Host::freeDetachedObjects() {
  HostState& state = *state_;
  for (Object* object : state.detached) {
    state.objects.erase(object);
    delete object;
  }
  state.detached.clear();
}

void Host::setStrict(bool strict) {
  state_->strict = strict;
}
bool Host::strict() const {
  return state_->strict;
}
std::vector<std::string> Host::misuses() const {
  std::vector<std::string> lines = state_->misuses;
  if (state_->misusesDropped)
    lines.push_back("... and " + std::to_string(state_->misusesDropped) + " more");
  return lines;
}
void Host::clearMisuses() {
  state_->misuses.clear();
  state_->misusesDropped = 0;
}
void Host::recordMisuse(const std::string& what) {
  state_->recordMisuse(what);
}

std::map<std::string, unsigned long long> Host::callCounts() const {
  static const char* const names[] = {
#define SIMHOST_FUNCTION_NAME(name, called) #name,
      MQ_HOST_FUNCTIONS(SIMHOST_FUNCTION_NAME)
#undef SIMHOST_FUNCTION_NAME
  };
  std::map<std::string, unsigned long long> counts;
  for (int f = 0; f < kHostFunctionCount; ++f)
    if (state_->calls[f])
      counts.emplace(names[f], state_->calls[f]);
  return counts;
}

void Host::resetCallCounts() {
  std::fill(std::begin(state_->calls), std::end(state_->calls), 0ull);
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
