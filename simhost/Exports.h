// Shared by the files that define the exported host functions: the export attribute and the
// per-function call counters (one increment per call, kept out of every other path).
#pragma once

#include "HostState.h"

#include <algorithm>
#include <string>

#ifdef _WIN32
#define SIMHOST_EXPORT extern "C" __declspec(dllexport)
#else
#define SIMHOST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace sim {

// One counter per host function, in binding order.
enum HostFunction : int {
#define SIMHOST_FUNCTION_ID(name, called) kHostFunction_##name,
  MQ_HOST_FUNCTIONS(SIMHOST_FUNCTION_ID)
#undef SIMHOST_FUNCTION_ID
      kHostFunctionCount
};

extern unsigned long long hostCallCounters[kHostFunctionCount];

} // namespace sim

#define SIMHOST_COUNT(name) (++::sim::hostCallCounters[::sim::kHostFunction_##name])
