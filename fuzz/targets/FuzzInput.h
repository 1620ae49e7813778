// Reading fuzz bytes as a stream of small decisions; past the end every read gives 0, so any
// input, however short, describes a complete case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzzing {

class FuzzInput {
public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  // A value in 0..count-1.
  unsigned pick(unsigned count) { return count ? byte() % count : 0; }
  uint32_t word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = value << 8 | byte();
    return value;
  }
  float real() {
    const uint32_t bits = word();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // Up to maxLength raw bytes (NULs included).
  std::string bytes(size_t maxLength) {
    const size_t length = pick(static_cast<unsigned>(maxLength + 1));
    std::string text;
    for (size_t i = 0; i < length; ++i)
      text.push_back(static_cast<char>(byte()));
    return text;
  }
  bool empty() const { return at_ >= size_; }

private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A broken invariant: say which and stop, so that the fuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void check(bool holds, const char* what) {
  if (!holds)
    fail(what);
}

} // namespace fuzzing
