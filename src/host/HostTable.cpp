#include "host/HostTable.h"

#include "host/ModuleLoader.h"

namespace host {
namespace {

constexpr int kSlotCount = MQ_HOST_FUNCTION_COUNT;

const char* const kSlotNames[kSlotCount] = {
#define TOVALINDER_SLOT_NAME(name, called) #name,
    MQ_HOST_FUNCTIONS(TOVALINDER_SLOT_NAME)
#undef TOVALINDER_SLOT_NAME
};

void* g_slots[kSlotCount];
bool g_bound = false;

} // namespace

const char* slotName(int slot) {
  return slot >= 0 && slot < kSlotCount ? kSlotNames[slot] : nullptr;
}

bool bindHostTable(const char* hostModuleFile) {
  ModuleHandle module = openModule(hostModuleFile);
  if (!module)
    return false;
  void* found[kSlotCount];
  for (int i = 0; i < kSlotCount; ++i) {
    found[i] = findExport(module, kSlotNames[i]);
    if (!found[i]) {
      closeModule(module);
      return false;
    }
  }
  for (int i = 0; i < kSlotCount; ++i)
    g_slots[i] = found[i];
  g_bound = true;
  // The host keeps its own module loaded, so the addresses stay valid after this release.
  closeModule(module);
  return true;
}

bool isHostTableBound() { return g_bound; }

void* slotAddress(Slot slot) { return g_slots[static_cast<int>(slot)]; }

} // namespace host
