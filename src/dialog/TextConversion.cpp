#include "dialog/TextConversion.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <type_traits>
#include <vector>

namespace textconv {
namespace {

const char16_t kInvalid[] = u"invalid";

// Widget texts are UTF-16 while wchar_t is UTF-32 on some platforms and UTF-16 on others.
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool wideToUtf16(const std::wstring& wide, std::u16string& out) {
  out.clear();
  for (wchar_t w : wide) {
    const unsigned long c = static_cast<std::make_unsigned_t<wchar_t>>(w);
    if (kWideIsUtf16 || c < 0x10000) {
      if (!kWideIsUtf16 && c >= 0xD800 && c <= 0xDFFF)
        return false;
      out.push_back(static_cast<char16_t>(c));
    } else if (c <= 0x10FFFF) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      return false;
    }
  }
  return true;
}

bool utf16ToWide(const std::u16string& text, std::wstring& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (kWideIsUtf16 || c < 0xD800 || c > 0xDFFF) {
      out.push_back(static_cast<wchar_t>(c));
      continue;
    }
    // A lone surrogate names no character.
    if (c > 0xDBFF || i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
      return false;
    const unsigned long code = 0x10000 + ((static_cast<unsigned long>(c) - 0xD800) << 10) +
                               (static_cast<unsigned long>(text[i + 1]) - 0xDC00);
    out.push_back(static_cast<wchar_t>(code));
    ++i;
  }
  return true;
}

} // namespace

std::u16string toWidgetText(const std::string& narrow) {
  if (narrow.empty())
    return std::u16string();
  // Room for three UTF-16 units per input byte, and the terminator.
  const size_t room = narrow.size() * 3 + 1;
  std::vector<wchar_t> buffer(room, L'\0');
  const size_t length = std::mbstowcs(buffer.data(), narrow.c_str(), room);
  if (length == static_cast<size_t>(-1) || length >= room)
    return kInvalid;
  std::u16string result;
  if (!wideToUtf16(std::wstring(buffer.data(), length), result))
    return kInvalid;
  return result;
}

std::string toNarrowText(const std::u16string& wide) {
  if (wide.empty())
    return std::string();
  std::wstring text;
  if (!utf16ToWide(wide, text))
    return "invalid";
  // Room for two bytes per UTF-16 unit, or for the locale's longest character when that is
  // more, and the terminator.
  const size_t perUnit = MB_CUR_MAX > 2 ? static_cast<size_t>(MB_CUR_MAX) : 2;
  const size_t room = wide.size() * perUnit + 1;
  std::vector<char> buffer(room, '\0');
  const size_t length = std::wcstombs(buffer.data(), text.c_str(), room);
  if (length == static_cast<size_t>(-1) || length >= room)
    return "invalid";
  return std::string(buffer.data(), length);
}

std::u16string fromUtf8(const std::string& utf8) {
  std::u16string result;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const size_t length = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 0;
    unsigned long code = length == 1 ? lead : lead & (0x7Fu >> length);
    bool valid = length > 0 && i + length <= utf8.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = code << 6 | (next & 0x3Fu);
    }
    if (!valid || code > 0x10FFFF) {
      result.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      result.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(code));
    }
    i += length;
  }
  return result;
}

double leadingNumber(const std::string& text) {
  std::string local = text;
  const std::lconv* conventions = std::localeconv();
  const std::string point =
      conventions && conventions->decimal_point ? conventions->decimal_point : ".";
  if (!point.empty() && point != ".") {
    // Where the numeric locale has another separator, the text is made to read the same as
    // under the point: the number ends at that separator, and each point becomes it.
    const size_t other = local.find(point);
    if (other != std::string::npos)
      local.erase(other);
    for (size_t at = local.find('.'); at != std::string::npos;
         at = local.find('.', at + point.size()))
      local.replace(at, 1, point);
  }
  return std::strtod(local.c_str(), nullptr);
}

namespace {

float rawRate(const std::string& text) {
  return static_cast<float>(leadingNumber(text) / 100.0);
}

} // namespace

bool rateIsFinite(const std::string& text) {
  return std::isfinite(rawRate(text));
}

float rateFromText(const std::string& text) {
  return rateIsFinite(text) ? rawRate(text) : 0.0f;
}

} // namespace textconv
