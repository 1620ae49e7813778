// The numeric blocks of document files: little-endian 32-bit values, typed "float32", "int32"
// or "uint32", stored inline as base64 or at a byte offset in the side file. The machines this
// builds for are little-endian, so a block's bytes are the bytes of the array it holds and
// blocks move between files and arrays as they are.
#pragma once

#include <cstdint>

namespace runner {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "document blocks are read and written as the machine holds them: little-endian only"
#endif

template <typename T> const char* blockTypeName();
template <> inline const char* blockTypeName<float>() {
  return "float32";
}
template <> inline const char* blockTypeName<std::int32_t>() {
  return "int32";
}
template <> inline const char* blockTypeName<std::uint32_t>() {
  return "uint32";
}

static_assert(sizeof(float) == 4 && sizeof(int) == 4, "blocks hold 32-bit values");

} // namespace runner
