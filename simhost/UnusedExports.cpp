// The host functions that a plug-in binds but this plug-in never calls: harmless no-ops, present
// so that the host module exports the whole interface. Each still counts its calls.
#include "Exports.h"

#define SIMHOST_NOOP_0(name)                                                                       \
  SIMHOST_EXPORT void name(void) {                                                                 \
    SIMHOST_COUNT(name);                                                                           \
  }
#define SIMHOST_NOOP_1(name)
#define SIMHOST_NOOP(name, called) SIMHOST_NOOP_##called(name)
MQ_HOST_FUNCTIONS(SIMHOST_NOOP)
