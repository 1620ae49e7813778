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

void appendBase64(std::string& out, const std::uint8_t* data, std::size_t size) {
  const std::size_t start = out.size();
  out.resize(start + (size + 2) / 3 * 4);
  char* o = &out[start];
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const std::uint32_t n = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) |
                            std::uint32_t{data[i + 2]};
    *o++ = kAlphabet[(n >> 18) & 63];
    *o++ = kAlphabet[(n >> 12) & 63];
    *o++ = kAlphabet[(n >> 6) & 63];
    *o++ = kAlphabet[n & 63];
  }
  if (i < size) {
    std::uint32_t n = std::uint32_t{data[i]} << 16;
    if (i + 1 < size)
      n |= std::uint32_t{data[i + 1]} << 8;
    *o++ = kAlphabet[(n >> 18) & 63];
    *o++ = kAlphabet[(n >> 12) & 63];
    *o++ = i + 1 < size ? kAlphabet[(n >> 6) & 63] : '=';
    *o++ = '=';
  }
}

std::string encodeBase64(const std::uint8_t* data, std::size_t size) {
  std::string out;
  appendBase64(out, data, size);
  return out;
}

bool decodeBase64(const std::string& text, std::vector<std::uint8_t>& out) {
  std::size_t size = 0;
  out.clear();
  if (!base64Size(text, size))
    return false;
  out.resize(size);
  if (!decodeBase64(text, out.data())) {
    out.clear();
    return false;
  }
  return true;
}

bool base64Size(const std::string& text, std::size_t& size) {
  if (text.size() % 4 != 0)
    return false;
  const std::size_t n = text.size();
  const std::size_t pad = n == 0 ? 0 : (text[n - 1] == '=') + (text[n - 2] == '=');
  if (pad == 1 && text[n - 2] == '=')
    return false;
  size = n / 4 * 3 - pad;
  return true;
}

bool decodeBase64(const std::string& text, std::uint8_t* out) {
  std::size_t size = 0;
  if (!base64Size(text, size))
    return false;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
    if (pad == 1 && text[i + 2] == '=')
      return false;
    int v[4];
    for (int j = 0; j < 4 - pad; ++j)
      if ((v[j] = valueOf(text[i + static_cast<std::size_t>(j)])) < 0)
        return false;
    const std::uint32_t n = (static_cast<std::uint32_t>(v[0]) << 18) |
                            (static_cast<std::uint32_t>(v[1]) << 12) |
                            (pad < 2 ? static_cast<std::uint32_t>(v[2]) << 6 : 0) |
                            (pad < 1 ? static_cast<std::uint32_t>(v[3]) : 0);
    if (!out)
      continue;
    *out++ = static_cast<std::uint8_t>(n >> 16);
    if (pad < 2)
      *out++ = static_cast<std::uint8_t>(n >> 8);
    if (pad < 1)
      *out++ = static_cast<std::uint8_t>(n);
  }
  return true;
}

} // namespace runner
