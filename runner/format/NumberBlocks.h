// The numeric blocks of document files: little-endian 32-bit values, typed "float32", "int32"
// or "uint32", stored inline as base64 or at a byte offset in the side file.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace runner {

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

template <typename T>
void appendLittleEndian(std::vector<std::uint8_t>& bytes, const T* values, size_t count) {
  static_assert(sizeof(T) == 4, "blocks hold 32-bit values");
  const size_t start = bytes.size();
  bytes.resize(start + count * 4);
  for (size_t i = 0; i < count; ++i) {
    std::uint32_t bits;
    std::memcpy(&bits, &values[i], 4);
    for (int b = 0; b < 4; ++b)
      bytes[start + i * 4 + static_cast<size_t>(b)] = static_cast<std::uint8_t>(bits >> (8 * b));
  }
}

template <typename T> void readLittleEndian(const std::uint8_t* bytes, size_t count, T* values) {
  static_assert(sizeof(T) == 4, "blocks hold 32-bit values");
  for (size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bytes + i * 4;
    const std::uint32_t bits = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                               (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
    std::memcpy(&values[i], &bits, 4);
  }
}

} // namespace runner
