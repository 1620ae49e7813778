/* A host module that exports every host function name as a no-op, except the one the build
   renames away (-D<name>=<name>_omitted): a real module that lacks exactly one name. */
#include "tovalinder/host/MQPluginInterface.h"

#ifdef _WIN32
#define STUB_EXPORT __declspec(dllexport)
#else
#define STUB_EXPORT __attribute__((visibility("default")))
#endif

#define STUB_FUNCTION(name, called)                                                                \
  STUB_EXPORT void name(void) {}
MQ_HOST_FUNCTIONS(STUB_FUNCTION)
