#include "FloatText.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace runner {

namespace {

// Up to half a unit above the largest float a value still rounds to it; beyond, the reader
// refuses the text, so it does not count as reading back.
const double kFloatLimit = 3.4028235677973366e+38;

bool readsBackAs(const char* first, const char* last, float value) {
  double back = 0;
  if (std::from_chars(first, last, back).ec != std::errc() || !(std::fabs(back) < kFloatLimit))
    return false;
  const float rounded = static_cast<float>(back);
  return std::memcmp(&rounded, &value, sizeof value) == 0;
}

} // namespace

std::size_t floatText(float value, char* text) {
  if (value == 0.0f) {
    const char* zero = std::signbit(value) ? "-0.0" : "0";
    const std::size_t length = std::strlen(zero);
    std::memcpy(text, zero, length); // NOLINT(bugprone-not-null-terminated-result): counted
    return length;
  }
  char* last = text;
  for (int digits = 6; digits <= 9; ++digits) {
    last = std::to_chars(text, text + kNumberTextSize, static_cast<double>(value),
                         std::chars_format::general, digits)
               .ptr;
    if (readsBackAs(text, last, value))
      break;
  }
  return static_cast<std::size_t>(last - text);
}

std::size_t integerText(std::int64_t value, char* text) {
  return static_cast<std::size_t>(std::to_chars(text, text + kNumberTextSize, value).ptr - text);
}

} // namespace runner
