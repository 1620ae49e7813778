// Shared by the files that define the exported host functions.
#pragma once

#include "HostState.h"

#include <algorithm>
#include <string>

#ifdef _WIN32
#define SIMHOST_EXPORT extern "C" __declspec(dllexport)
#else
#define SIMHOST_EXPORT extern "C" __attribute__((visibility("default")))
#endif
