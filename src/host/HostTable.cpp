#include "host/HostTable.h"

#include "host/ModuleLoader.h"

namespace host {
namespace {

constexpr int kFunctionCount = MQ_HOST_FUNCTION_COUNT;

const char* const kFunctionNames[kFunctionCount] = {
#define TOVALINDER_FUNCTION_NAME(name, called) #name,
    MQ_HOST_FUNCTIONS(TOVALINDER_FUNCTION_NAME)
#undef TOVALINDER_FUNCTION_NAME
};

void* g_addresses[kFunctionCount];
bool g_bound = false;

} // namespace

const char* functionName(int position) {
  return position >= 0 && position < kFunctionCount ? kFunctionNames[position] : nullptr;
}

bool bindHostTable(const char* hostModuleFile) {
  ModuleHandle module = openModule(hostModuleFile);
  if (!module)
    return false;
  void* found[kFunctionCount];
  for (int i = 0; i < kFunctionCount; ++i) {
    found[i] = findExport(module, kFunctionNames[i]);
    if (!found[i]) {
      closeModule(module);
      return false;
    }
  }
  for (int i = 0; i < kFunctionCount; ++i)
    g_addresses[i] = found[i];
  g_bound = true;
  // The host keeps its own module loaded, so the addresses stay valid after this release.
  closeModule(module);
  return true;
}

bool isHostTableBound() {
  return g_bound;
}

void* functionAddress(HostFunction function) {
  return g_addresses[static_cast<int>(function)];
}

} // namespace host
