#include "FloatText.h"

#include "transfer/SameBits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

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
  return transfer::sameBits(&rounded, &value);
}

// The "%.6g" text of a normal float whose shortest round-trip text has at most six digits,
// built from those digits; 0 for any other value. Such a value lies within half a float step of
// its shortest digits, far closer than half a step of six digits, so rounding it to six digits
// gives those digits: the same text as the formatter's, without its slower digit generation.
std::size_t shortFloatText(float value, char* text) {
  if (!(std::fabs(value) >= std::numeric_limits<float>::min()))
    return 0;
  char scientific[kNumberTextSize];
  const char* const last = std::to_chars(scientific, scientific + sizeof scientific, value,
                                         std::chars_format::scientific)
                               .ptr;
  // [-]d[.ddddd]e(+|-)xx
  const char* at = scientific;
  const bool negative = *at == '-';
  at += negative;
  char digits[12];
  int count = 0;
  for (; at < last && *at != 'e'; ++at)
    if (*at != '.') {
      if (count == 6)
        return 0;
      digits[count++] = *at;
    }
  int exponent = 0;
  if (std::from_chars(at + 1 + (at[1] == '+'), last, exponent).ec != std::errc())
    return 0;
  char* out = text;
  if (negative)
    *out++ = '-';
  if (exponent < -4 || exponent >= 6) {
    *out++ = digits[0];
    if (count > 1) {
      *out++ = '.';
      out = std::copy(digits + 1, digits + count, out);
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10)
      *out++ = '0';
    out = std::to_chars(out, text + kNumberTextSize, magnitude).ptr;
  } else if (exponent >= 0) {
    for (int i = 0; i <= exponent; ++i)
      *out++ = i < count ? digits[i] : '0';
    if (count > exponent + 1) {
      *out++ = '.';
      out = std::copy(digits + exponent + 1, digits + count, out);
    }
  } else {
    *out++ = '0';
    *out++ = '.';
    out = std::fill_n(out, -exponent - 1, '0');
    out = std::copy(digits, digits + count, out);
  }
  return static_cast<std::size_t>(out - text);
}

} // namespace

std::size_t floatText(float value, char* text) {
  if (value == 0.0f) {
    const char* zero = std::signbit(value) ? "-0.0" : "0";
    const std::size_t length = std::strlen(zero);
    std::memcpy(text, zero, length); // NOLINT(bugprone-not-null-terminated-result): counted
    return length;
  }
  // The short text reads back without a check: it is the float's own shortest text, and a
  // decimal of at most six digits in the float range rounds to the same float through a double
  // as directly (checked once for every such decimal: no double lies close enough to a point
  // halfway between two floats).
  if (const std::size_t length = shortFloatText(value, text))
    return length;
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
