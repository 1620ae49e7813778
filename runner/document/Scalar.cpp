#include "Scalar.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace runner {

namespace {

// Up to half a unit above the largest float a value still rounds to it.
const double kFloatLimit = 3.4028235677973366e+38;
const std::size_t kLongestDescription = 40;

double asDouble(const Number& value) {
  switch (value.kind) {
  case ValueKind::Negative:
    return static_cast<double>(value.negative);
  case ValueKind::Unsigned:
    return static_cast<double>(value.unsigned_);
  default:
    return value.value;
  }
}

} // namespace

bool toNumber(const Number& value, float& out) {
  if (value.kind != ValueKind::Negative && value.kind != ValueKind::Unsigned &&
      value.kind != ValueKind::Float)
    return false;
  const double d = asDouble(value);
  if (!(std::fabs(d) < kFloatLimit))
    return false;
  out = static_cast<float>(d);
  return true;
}

bool toNumber(const Number& value, std::int32_t& out) {
  if (value.kind == ValueKind::Unsigned && value.unsigned_ <= INT32_MAX)
    out = static_cast<std::int32_t>(value.unsigned_);
  else if (value.kind == ValueKind::Negative && value.negative >= INT32_MIN)
    out = static_cast<std::int32_t>(value.negative);
  else
    return false;
  return true;
}

bool toNumber(const Number& value, std::uint32_t& out) {
  if (value.kind == ValueKind::Unsigned && value.unsigned_ <= UINT32_MAX)
    out = static_cast<std::uint32_t>(value.unsigned_);
  else if (value.kind == ValueKind::Negative && value.negative == 0) // "-0"
    out = 0;
  else
    return false;
  return true;
}

template <> const char* numberKind<float>() {
  return "a number within single-precision range";
}
template <> const char* numberKind<std::int32_t>() {
  return "a 32-bit integer";
}
template <> const char* numberKind<std::uint32_t>() {
  return "an unsigned 32-bit integer";
}

std::string quotedText(const std::string& text, std::size_t longest) {
  const bool cut = text.size() > longest;
  std::string shown = nlohmann::json(cutUtf8(text, longest))
                          .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  if (cut)
    shown.insert(shown.size() - 1, "...");
  return shown;
}

std::string describe(const Scalar& value) {
  std::string text;
  switch (value.kind) {
  case ValueKind::Absent:
    return "nothing";
  case ValueKind::Null:
    return "null";
  case ValueKind::Boolean:
    return value.boolean ? "true" : "false";
  case ValueKind::Negative:
    return std::to_string(value.number.negative);
  case ValueKind::Unsigned:
    return std::to_string(value.number.unsigned_);
  case ValueKind::Array:
    return "[...]";
  case ValueKind::Object:
    return "{...}";
  case ValueKind::Float:
    text = value.text;
    break;
  case ValueKind::Text:
    return quotedText(value.text, kLongestDescription - 10);
  }
  if (text.size() > kLongestDescription)
    text = text.substr(0, kLongestDescription - 3) + "...";
  return text;
}

} // namespace runner
