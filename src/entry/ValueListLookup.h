// Reading a value list that the host hands to the plug-in (event arguments, widget events):
// pointer pairs, key first, ended by a null key; the list itself and any value may be null.
// A key matches only the whole name, case included; the first matching pair decides.
// Relies on nothing; keeps no pointer into the list.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

namespace valuelist {

// The int that the first pair with this key points to; fallback when absent or null.
int findInt(MQValueList values, const char* key, int fallback);
// The float that the first pair with this key points to; 0.0 when absent or null.
float findFloat(MQValueList values, const char* key);
// The value pointer of the first pair with this key (may be null); null when absent.
void* findPointer(MQValueList values, const char* key);

} // namespace valuelist
