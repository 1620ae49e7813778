#include "Utf8.h"

namespace runner {

std::string cutUtf8(const std::string& text, std::size_t bytes) {
  if (text.size() <= bytes)
    return text;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    --end;
  return text.substr(0, end);
}

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

} // namespace runner
