// The host function table: one address per host function, bound by name from the host module in
// MQInit, and the call wrappers through which every other folder reaches the host
// (MQDoc_GetObjectCount(doc) and so on, with the signatures of MQPluginInterface.h).
// Relies on the loader layer (ModuleLoader.h). Calling a wrapper before a successful binding is
// a programming error: the entry points refuse to run the command until the table is bound.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

namespace host {

enum class Slot : int {
#define TOVALINDER_SLOT(name, called) name,
  MQ_HOST_FUNCTIONS(TOVALINDER_SLOT)
#undef TOVALINDER_SLOT
      Count
};
static_assert(static_cast<int>(Slot::Count) == MQ_HOST_FUNCTION_COUNT, "175 host functions");

// The name of a slot, in binding order.
const char* slotName(int slot);

// Binds every slot from the module file, in order. On the first missing name the module is
// released and false is returned; the table then keeps what it held before, so a failed
// binding never leaves addresses into a released module behind.
bool bindHostTable(const char* hostModuleFile);

// True once a binding has succeeded.
bool isHostTableBound();

void* slotAddress(Slot slot);

} // namespace host

#define TOVALINDER_HOST_CALL(result, name, params)                                                 \
  template <typename... Args> inline result name(Args... args) {                                   \
    return reinterpret_cast<name##_fn>(host::slotAddress(host::Slot::name))(args...);              \
  }
MQ_HOST_CALLED_FUNCTIONS(TOVALINDER_HOST_CALL)
#undef TOVALINDER_HOST_CALL
