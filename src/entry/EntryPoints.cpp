// The fourteen exported entry points. Each is a barrier: nothing thrown behind it unwinds into
// the host, which is C; a failure becomes the entry point's refusal (FALSE or null).
#include "entry/Tovalinder.h"
#include "host/HostTable.h"

#ifdef _WIN32
#define TOVALINDER_EXPORT extern "C" __declspec(dllexport)
#else
#define TOVALINDER_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

bool isFilePluginType(int type) {
  return type == MQPLUGIN_TYPE_IMPORT || type == MQPLUGIN_TYPE_EXPORT;
}

bool isMenuPluginType(int type) {
  return type >= MQPLUGIN_TYPE_CREATE && type <= MQPLUGIN_TYPE_SELECT;
}

template <typename Result, typename Body> Result guarded(Result refusal, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return refusal;
  }
}

MQBOOL executeCommand(int index, MQDocument doc) {
  return guarded<MQBOOL>(0, [&] { return pluginObject().Execute(index, doc); });
}

} // namespace

TOVALINDER_EXPORT MQDWORD MQCheckVersion(MQDWORD hostVersion) {
  return hostVersion >= MQ_HOST_VERSION_REQUIRED ? MQ_PLUGIN_VERSION : 0;
}

TOVALINDER_EXPORT MQBOOL MQInit(const char* hostModuleFile) {
  return guarded<MQBOOL>(0, [&] { return host::bindHostTable(hostModuleFile) ? 1 : 0; });
}

TOVALINDER_EXPORT void MQGetPlugInID(MQDWORD* product, MQDWORD* id) {
  guarded<int>(0, [&] {
    pluginObject().GetPlugInID(product, id);
    return 0;
  });
}

TOVALINDER_EXPORT const char* MQGetPlugInName() {
  return guarded<const char*>(nullptr, [] { return pluginObject().GetPlugInName(); });
}

TOVALINDER_EXPORT int MQGetPlugInType() {
  return guarded<int>(0, [] { return pluginObject().GetPlugInType(); });
}

TOVALINDER_EXPORT const char* MQEnumString(int index) {
  return guarded<const char*>(nullptr, [&]() -> const char* {
    MQBasePlugin& plugin = pluginObject();
    if (!isMenuPluginType(plugin.GetPlugInType()))
      return nullptr;
    return static_cast<MQMenuBasePlugin&>(plugin).EnumString(index);
  });
}

// A file plug-in would answer these; this module's object plug-in has no file types.
static const char* declineFileQuery() {
  // Only file plug-ins (types 1 and 2) are asked; this module has no such class.
  if (isFilePluginType(pluginObject().GetPlugInType()))
    return nullptr;
  return nullptr;
}

TOVALINDER_EXPORT const char* MQEnumFileType(int /*index*/) {
  return guarded<const char*>(nullptr, declineFileQuery);
}

TOVALINDER_EXPORT const char* MQEnumFileExt(int /*index*/) {
  return guarded<const char*>(nullptr, declineFileQuery);
}

// No file operation exists to forward to: refuse rather than call into nothing.
TOVALINDER_EXPORT MQBOOL MQImportFile(int /*index*/, const char* /*filename*/, MQDocument /*doc*/) {
  return guarded<MQBOOL>(0, [] {
    pluginObject();
    return 0;
  });
}

TOVALINDER_EXPORT MQBOOL MQExportFile(int /*index*/, const char* /*filename*/, MQDocument /*doc*/) {
  return guarded<MQBOOL>(0, [] {
    pluginObject();
    return 0;
  });
}

TOVALINDER_EXPORT MQBOOL MQCreate(int index, MQDocument doc) {
  return executeCommand(index, doc);
}

TOVALINDER_EXPORT MQBOOL MQModifyObject(int index, MQDocument doc) {
  return executeCommand(index, doc);
}

TOVALINDER_EXPORT MQBOOL MQModifySelect(int index, MQDocument doc) {
  return executeCommand(index, doc);
}

// Host events reach only station, command and import plug-ins; this one is none of them, so
// every event is declined without reading its arguments.
TOVALINDER_EXPORT MQBOOL MQOnEvent(MQDocument /*doc*/, int /*eventType*/, MQValueList /*values*/) {
  return guarded<MQBOOL>(0, [] {
    MQBasePlugin* plugin = &pluginObject();
    if (dynamic_cast<MQStationPlugin*>(plugin) || dynamic_cast<MQImportPlugin*>(plugin)) {
      // An event plug-in would receive the event here; no class of this module is one.
    }
    return 0;
  });
}
