#include "entry/Tovalinder.h"

#include "host/HostTable.h"

#include <cstdlib>
#include <new>

namespace {

constexpr MQDWORD kProductId = 0x544F5641u; // "TOVA"
constexpr MQDWORD kPluginId = 0x4C494E44u;  // "LIND"

const char kPluginName[] = "Tovalinder v.1.4 - carries morph targets onto an edited mesh";
const char kMenuText[] = "Tovalinder";

// The plug-in object lives in static storage, never on the heap; bit 0 of the guard word says
// it has been constructed.
alignas(Tovalinder) unsigned char g_pluginStorage[sizeof(Tovalinder)];
std::uint32_t g_pluginGuard = 0;

Tovalinder* storedPlugin() {
  return std::launder(reinterpret_cast<Tovalinder*>(g_pluginStorage));
}

void destroyPluginObject() {
  storedPlugin()->~Tovalinder();
}

} // namespace

Tovalinder& pluginObject() {
  if (!(g_pluginGuard & 1u)) {
    g_pluginGuard |= 1u;
    new (g_pluginStorage) Tovalinder();
    // The module's own exit-time list: run when the module is unloaded or the process ends.
    std::atexit(destroyPluginObject);
  }
  return *storedPlugin();
}

bool pluginObjectConstructed() {
  return (g_pluginGuard & 1u) != 0;
}

Tovalinder::~Tovalinder() {
  // Reverse order of the fields; handles only forget their references.
  mirrorMap.clear();
  vertexMap.clear();
  newElements.clear();
  elements.clear();
  destination.reset();
  source.reset();
}

void Tovalinder::GetPlugInID(MQDWORD* product, MQDWORD* id) {
  if (product)
    *product = kProductId;
  if (id)
    *id = kPluginId;
}

const char* Tovalinder::GetPlugInName() {
  return kPluginName;
}

int Tovalinder::GetPlugInType() {
  return MQPLUGIN_TYPE_OBJECT;
}

const char* Tovalinder::EnumString(int index) {
  return index == 0 ? kMenuText : nullptr;
}

MQBOOL Tovalinder::Execute(int index, MQDocument doc) {
  if (index != 0)
    return 0;
  document = doc;
  // Without a bound host table every host call would jump through a null address.
  if (!host::isHostTableBound())
    return 0;
  return runCommand();
}
