// The host function table: one address per host function, bound by name from the host module in
// MQInit, and the call wrappers through which every other folder reaches the host
// (MQDoc_GetObjectCount(doc) and so on, with the signatures of the interface header). A table
// entry is named by the host function it holds ("slot" is kept for the document's object slots).
// Relies on the loader layer (ModuleLoader.h). Calling a wrapper before a successful binding is
// a programming error: the entry points refuse to run the command until the table is bound.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

namespace host {

enum class HostFunction : int {
#define TOVALINDER_FUNCTION(name, called) name,
  MQ_HOST_FUNCTIONS(TOVALINDER_FUNCTION)
#undef TOVALINDER_FUNCTION
      Count
};
static_assert(static_cast<int>(HostFunction::Count) == MQ_HOST_FUNCTION_COUNT,
              "175 host functions");

// The name of the table's entry at this position, in binding order; null outside the table.
const char* functionName(int position);

// Binds every entry from the module file, in order. On the first missing name the module is
// released and false is returned; the table then keeps what it held before, so a failed
// binding never leaves addresses into a released module behind.
bool bindHostTable(const char* hostModuleFile);

// True once a binding has succeeded.
bool isHostTableBound();

void* functionAddress(HostFunction function);

} // namespace host

#define TOVALINDER_HOST_CALL(result, name, params)                                                 \
  template <typename... Args> inline result name(Args... args) {                                   \
    return reinterpret_cast<name##_fn>(host::functionAddress(host::HostFunction::name))(args...);  \
  }
MQ_HOST_CALLED_FUNCTIONS(TOVALINDER_HOST_CALL)
#undef TOVALINDER_HOST_CALL
