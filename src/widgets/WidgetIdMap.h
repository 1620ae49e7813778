// The process-wide map from host widget id to the wrapper object that holds it: the only way
// from an id the host hands back to a plug-in object. Created when the module loads, destroyed
// when it unloads; not locked (the host's user-interface thread is the only caller).
#pragma once

class MQWidgetBase;

namespace widgetidmap {

// Registers a wrapper under its id; an id already present keeps its first object and the new
// one is dropped (answers false then).
bool add(int id, MQWidgetBase* widget);
// Removes the entry for id, whatever object it names.
void remove(int id);
// The object registered under id, or null.
MQWidgetBase* find(int id);
int size();

} // namespace widgetidmap
