// The simulated host's exported functions, called directly as a plug-in would call them.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

extern "C" {
#define TOVALINDER_DECLARE_HOST_FUNCTION(result, name, params) result name params;
MQ_HOST_CALLED_FUNCTIONS(TOVALINDER_DECLARE_HOST_FUNCTION)
#undef TOVALINDER_DECLARE_HOST_FUNCTION
}
