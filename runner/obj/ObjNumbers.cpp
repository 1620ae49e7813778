#include "ObjNumbers.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace runner::obj {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Digits with at most one point and at least one digit, then an optional exponent: the only
// shapes accepted, so that "nan", "inf" and hexadecimal never get through.
bool isDecimal(std::string_view text) {
  size_t i = 0, digits = 0, points = 0;
  for (; i < text.size() && (isDigit(text[i]) || text[i] == '.'); ++i)
    text[i] == '.' ? ++points : ++digits;
  if (digits == 0 || points > 1)
    return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      ++i;
    size_t exponentDigits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
      ++exponentDigits;
    if (exponentDigits == 0)
      return false;
  }
  return i == text.size();
}

// Whether a decimal that is out of single-precision range is below it (rounds to zero) rather
// than above it: the power of ten of its first significant digit is negative.
bool isBelowRange(std::string_view text) {
  const size_t e = text.find_first_of("eE");
  const std::string_view mantissa = text.substr(0, e);
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos)
    return true; // all zeros never overflow
  long power =
      first < point ? static_cast<long>(point - first) - 1 : -static_cast<long>(first - point);
  if (e != std::string_view::npos) {
    // Exponents beyond a billion say enough on their own.
    const std::string exponent(text.substr(e + 1, 12));
    power += std::strtol(exponent.c_str(), nullptr, 10);
  }
  return power < 0;
}

} // namespace

bool parseCoordinate(std::string_view token, float& value, std::string& why) {
  bool negative = false;
  std::string_view digits = token;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (!isDecimal(digits)) {
    why = "not a number";
    return false;
  }
  float magnitude = 0.0f;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (result.ec == std::errc::result_out_of_range) {
    if (!isBelowRange(digits)) {
      why = "too large for single precision";
      return false;
    }
    magnitude = 0.0f;
  } else if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
    why = "not a number";
    return false;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

bool parseIndex(std::string_view token, long& index) {
  const bool negative = !token.empty() && token[0] == '-';
  const std::string_view digits = token.substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > 9)
    return false;
  long magnitude = 0;
  for (char c : digits) {
    if (!isDigit(c))
      return false;
    magnitude = magnitude * 10 + (c - '0');
  }
  if (magnitude == 0)
    return false;
  index = negative ? -magnitude : magnitude;
  return true;
}

std::string shortestText(float value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

} // namespace runner::obj
