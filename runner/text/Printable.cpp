#include "Printable.h"

#include <cstdio>

namespace runner {

namespace {

// The length of the UTF-8 sequence at text[i] and its code point; 0 when it is not one.
size_t sequence(const std::string& text, size_t i, unsigned long& code) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = lead < 0x80                   ? 1
                  : lead >= 0xC2 && lead < 0xE0 ? 2
                  : lead >= 0xE0 && lead < 0xF0 ? 3
                  : lead >= 0xF0 && lead < 0xF5 ? 4
                                                : 0;
  if (length == 0 || i + length > text.size())
    return 0;
  code = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
  const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
    return 0;
  return length;
}

bool hidesOrControls(unsigned long code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069) || code == 0x200E || code == 0x200F;
}

} // namespace

std::string printable(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  char escape[16];
  for (size_t i = 0; i < text.size();) {
    unsigned long code = 0;
    const size_t length = sequence(text, i, code);
    if (length == 0) {
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[i]));
      out += escape;
      ++i;
      continue;
    }
    if (hidesOrControls(code)) {
      std::snprintf(escape, sizeof escape, code < 0x80 ? "\\x%02lx" : "\\u%04lx", code);
      out += escape;
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

} // namespace runner
