// The document's text fed to the JSON parser straight from the file in large pieces: no copy of
// the whole file is ever held, a pipe works like a file, and the caller hears how far reading
// has come. The parser reads the decimal numbers of this input with std::from_chars (see the
// end).
#pragma once

#include "InputFile.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <system_error>
#include <vector>

namespace runner {

class JsonInput {
public:
  // Called after each piece with the bytes read so far.
  using Progress = std::function<void(std::uint64_t done)>;

  JsonInput(InputFile& file, Progress progress)
      : file_(file), progress_(std::move(progress)), buffer_(std::size_t{1} << 20) {}

  // An input iterator over the bytes, as the parser takes them; equal to end() once the file is
  // exhausted.
  class Iterator {
  public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    explicit Iterator(JsonInput* input) : input_(input) {}
    const char& operator*() const { return input_->buffer_[input_->position_]; }
    Iterator& operator++() {
      ++input_->position_;
      return *this;
    }
    bool operator!=(const Iterator&) const { return input_ && input_->available(); }
    bool operator==(const Iterator& other) const { return !(*this != other); }

  private:
    JsonInput* input_;
  };

  Iterator begin() { return Iterator(this); }
  Iterator end() { return Iterator(nullptr); }

private:
  bool available() { return position_ < length_ || refill(); }
  bool refill();

  InputFile& file_;
  Progress progress_;
  std::vector<char> buffer_;
  std::size_t position_ = 0, length_ = 0;
  std::uint64_t done_ = 0;
  bool ended_ = false;
};

inline bool JsonInput::refill() {
  if (ended_)
    return false;
  position_ = 0;
  length_ = file_.read(buffer_.data(), buffer_.size());
  done_ += length_;
  ended_ = length_ == 0;
  if (progress_)
    progress_(done_);
  return !ended_;
}

} // namespace runner

// The parser's text-to-double step for this input. It would call std::strtod, which is
// correctly rounded but slow and follows the locale's decimal point; std::from_chars gives the
// same correctly rounded double for every number text the parser has already checked, several
// times faster. A text it does not take whole or that is out of range goes to std::strtod as
// before, so overflow and underflow read as they always did. Declared here, before any parse of
// a JsonInput is compiled, so that every file parsing one uses it. (The attribute repeats the
// parser's own declaration, as gcc asks.)
#if defined(__GNUC__) && !defined(__clang__)
#define TOVALINDER_TEXT_NOT_NULL __attribute__((nonnull(2)))
#else
#define TOVALINDER_TEXT_NOT_NULL
#endif
template <>
TOVALINDER_TEXT_NOT_NULL inline void
nlohmann::detail::lexer<nlohmann::json,
                        nlohmann::detail::iterator_input_adapter<runner::JsonInput::Iterator>>::
    strtof(double& f, const char* str, char** endptr) noexcept {
  const char* const end = str + std::strlen(str);
  const std::from_chars_result read = std::from_chars(str, end, f);
  if (read.ec == std::errc() && read.ptr == end) {
    *endptr = const_cast<char*>(end);
    return;
  }
  f = std::strtod(str, endptr);
}
#undef TOVALINDER_TEXT_NOT_NULL
