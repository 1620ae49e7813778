// Numbers as document text: the shortest decimal text of a float that reads back as the same
// float (through a double, as the reader does), and integers. Locale-independent.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runner {

// Room for the longest text either function writes.
constexpr std::size_t kNumberTextSize = 32;

// The "%.Ng" text (C locale) with the least N from 6 to 9 that reads back as exactly this value,
// "0" and "-0.0" for the zeros. The value must be finite. Writes no terminating NUL; answers the
// length.
std::size_t floatText(float value, char* text);

std::size_t integerText(std::int64_t value, char* text);

} // namespace runner
