#include "entry/ValueListLookup.h"

#include <cstring>

namespace valuelist {
namespace {

// The pair whose key matches first, as an index into the list; -1 when none does.
long findPair(MQValueList values, const char* key) {
  if (!values || !key)
    return -1;
  for (long i = 0; values[2 * i]; ++i) {
    if (std::strcmp(static_cast<const char*>(values[2 * i]), key) == 0)
      return i;
  }
  return -1;
}

} // namespace

int findInt(MQValueList values, const char* key, int fallback) {
  const long pair = findPair(values, key);
  if (pair < 0 || !values[2 * pair + 1])
    return fallback;
  int value;
  std::memcpy(&value, values[2 * pair + 1], sizeof value);
  return value;
}

float findFloat(MQValueList values, const char* key) {
  const long pair = findPair(values, key);
  if (pair < 0 || !values[2 * pair + 1])
    return 0.0f;
  float value;
  std::memcpy(&value, values[2 * pair + 1], sizeof value);
  return value;
}

void* findPointer(MQValueList values, const char* key) {
  const long pair = findPair(values, key);
  return pair < 0 ? nullptr : values[2 * pair + 1];
}

} // namespace valuelist
