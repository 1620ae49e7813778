// Proves at compile time that every exported host function has the interface's signature.
#include "Exports.h"

#define SIMHOST_DECLARE(result, name, params) extern "C" result name params;
MQ_HOST_CALLED_FUNCTIONS(SIMHOST_DECLARE)
#undef SIMHOST_DECLARE

#include <type_traits>

#define SIMHOST_CHECK(result, name, params)                                                        \
  static_assert(std::is_same_v<decltype(&::name), name##_fn>, #name " has the wrong signature");
MQ_HOST_CALLED_FUNCTIONS(SIMHOST_CHECK)
#undef SIMHOST_CHECK
