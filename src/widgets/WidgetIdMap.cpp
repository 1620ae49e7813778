#include "widgets/WidgetIdMap.h"

#include <map>

namespace {

// Constructed when the module loads and destroyed when it unloads, after the plug-in object,
// whose exit-time clean-up is registered later.
std::map<int, MQWidgetBase*> g_widgetIdMap;

} // namespace

namespace widgetidmap {

bool add(int id, MQWidgetBase* widget) {
  return g_widgetIdMap.emplace(id, widget).second;
}

void remove(int id) {
  g_widgetIdMap.erase(id);
}

MQWidgetBase* find(int id) {
  auto it = g_widgetIdMap.find(id);
  return it == g_widgetIdMap.end() ? nullptr : it->second;
}

int size() {
  return static_cast<int>(g_widgetIdMap.size());
}

} // namespace widgetidmap
