// The widget function of the host interface. Widgets arrive with the widget layer; until then
// the host makes none (every creation answers id 0).
#include "Exports.h"

SIMHOST_EXPORT void MQWidget_Value(int, int, MQValueList) {}
