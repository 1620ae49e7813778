// Text conversions between host names (narrow strings in the C library's multibyte encoding,
// under the current character-type locale) and widget texts (UTF-16 on every platform), and the
// reading of the Rate text. A conversion that fails, or whose result would not fit the room
// allowed for it, yields the text "invalid".
#pragma once

#include <string>

namespace textconv {

std::u16string toWidgetText(const std::string& narrow);
std::string toNarrowText(const std::u16string& wide);

// The plug-in's own texts (UTF-8 in its source) as widget texts, whatever the locale; a byte
// that is no part of a UTF-8 sequence becomes U+FFFD.
std::u16string fromUtf8(const std::string& utf8);

// The leading number of text as strtod reads it, with the point as decimal separator whatever
// the numeric locale; 0 when there is none.
double leadingNumber(const std::string& text);

// Whether a Rate text's leading number / 100 is a finite float.
bool rateIsFinite(const std::string& text);
// The rate of a Rate text: its leading number / 100, as a float; 0 when the result is not a
// finite number (a vertex moved by it would be lost).
float rateFromText(const std::string& text);

} // namespace textconv
