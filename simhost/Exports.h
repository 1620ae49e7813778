// Shared by the files that define the exported host functions: the export attribute and the
// per-function call counters of the current host (one increment per call, kept out of every
// other path).
#pragma once

#include "HostState.h"

#include <algorithm>
#include <string>

#ifdef _WIN32
#define SIMHOST_EXPORT extern "C" __declspec(dllexport)
#else
#define SIMHOST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#define SIMHOST_COUNT(name) (++::sim::hostState().calls[::sim::kHostFunction_##name])
