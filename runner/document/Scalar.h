// A single JSON value as the document reader keeps it: a scalar with its kind, or just the
// knowledge that an array or an object stood there (their contents are never kept). The rules
// that turn values into the document's number types live here, in one place, together with the
// texts the reader's messages quote.
#pragma once

#include <cstdint>
#include <string>

namespace runner {

enum class ValueKind { Absent, Null, Boolean, Negative, Unsigned, Float, Text, Array, Object };

// A JSON number as the parser gives it.
struct Number {
  ValueKind kind = ValueKind::Absent; // Negative, Unsigned or Float
  std::int64_t negative = 0;          // an integer below zero (or "-0")
  std::uint64_t unsigned_ = 0;        // an integer from zero
  double value = 0;                   // a number with a fraction or an exponent
};

struct Scalar {
  ValueKind kind = ValueKind::Absent;
  bool boolean = false;
  Number number;
  std::string text; // a text; for a Float, the number as written

  bool present() const { return kind != ValueKind::Absent; }
  bool isInteger() const { return kind == ValueKind::Negative || kind == ValueKind::Unsigned; }
};

// The number types of documents; false when the value is not one of them.
bool toNumber(const Number& value, float& out);
bool toNumber(const Number& value, std::int32_t& out);
bool toNumber(const Number& value, std::uint32_t& out);
template <typename T> bool toNumber(const Scalar& value, T& out) {
  return toNumber(value.number, out);
}

template <typename T> const char* numberKind();
template <> const char* numberKind<float>();
template <> const char* numberKind<std::int32_t>();
template <> const char* numberKind<std::uint32_t>();

// The value as a message shows it: JSON text, at most 40 characters, on one line.
std::string describe(const Scalar& value);

// A text as a JSON string literal (quotes, escapes, faulty UTF-8 replaced), cut to about
// `longest` bytes: names and keys in messages stay on one line and short.
std::string quotedText(const std::string& text, std::size_t longest = 300);

} // namespace runner
