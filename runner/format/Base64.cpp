#include "Base64.h"

namespace runner {

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int valueOf(char c) {
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}
} // namespace

std::string encodeBase64(const std::uint8_t* data, size_t size) {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const std::uint32_t n = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) |
                            std::uint32_t{data[i + 2]};
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  if (i < size) {
    std::uint32_t n = std::uint32_t{data[i]} << 16;
    if (i + 1 < size)
      n |= std::uint32_t{data[i + 1]} << 8;
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < size ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool decodeBase64(const std::string& text, std::vector<std::uint8_t>& out) {
  out.clear();
  if (text.size() % 4 != 0)
    return false;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
    if (pad == 1 && text[i + 2] == '=')
      return false;
    int v[4];
    for (int j = 0; j < 4 - pad; ++j)
      if ((v[j] = valueOf(text[i + static_cast<size_t>(j)])) < 0)
        return false;
    const std::uint32_t n = (static_cast<std::uint32_t>(v[0]) << 18) |
                            (static_cast<std::uint32_t>(v[1]) << 12) |
                            (pad < 2 ? static_cast<std::uint32_t>(v[2]) << 6 : 0) |
                            (pad < 1 ? static_cast<std::uint32_t>(v[3]) : 0);
    out.push_back(static_cast<std::uint8_t>(n >> 16));
    if (pad < 2)
      out.push_back(static_cast<std::uint8_t>(n >> 8));
    if (pad < 1)
      out.push_back(static_cast<std::uint8_t>(n));
  }
  return true;
}

} // namespace runner
