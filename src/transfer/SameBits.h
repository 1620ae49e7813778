// Whether values are the same bit for bit: -0 and 0 differ, and so do NaNs with different bits,
// where == would say otherwise. The transfer leaves out a host call only for the very same bits.
#pragma once

#include <cstddef>
#include <cstring>

namespace transfer {

template <typename T> bool sameBits(const T* a, const T* b, std::size_t count = 1) {
  return std::memcmp(a, b, count * sizeof(T)) == 0;
}

} // namespace transfer
