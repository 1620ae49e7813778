// Text conversions between host names and widget texts, and the reading of the Rate text.
#include "dialog/TextConversion.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

using textconv::rateFromText;
using textconv::toNarrowText;
using textconv::toWidgetText;

// Switches the character-type locale for one test and restores it afterwards.
class CharacterLocale {
public:
  explicit CharacterLocale(std::initializer_list<const char*> names) {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    saved_ = current ? current : "C";
    for (const char* name : names)
      if (std::setlocale(LC_CTYPE, name)) {
        active_ = true;
        break;
      }
  }
  ~CharacterLocale() { std::setlocale(LC_CTYPE, saved_.c_str()); }
  bool active() const { return active_; }

  // True when the locale took and reads these bytes as this one character (a C library may
  // accept a locale name whose encoding it cannot convert).
  bool reads(const char* bytes, wchar_t character) const {
    wchar_t buffer[4] = {};
    return active_ && std::mbstowcs(buffer, bytes, 4) == 1 && buffer[0] == character;
  }

private:
  std::string saved_;
  bool active_ = false;
};

TEST(RateText, LeadingNumberOverHundred) {
  EXPECT_EQ(rateFromText("100"), 1.0f);
  EXPECT_EQ(rateFromText("50"), 0.5f);
  EXPECT_EQ(rateFromText("150"), 1.5f);
  EXPECT_EQ(rateFromText("-20"), static_cast<float>(-20.0 / 100.0));
  EXPECT_EQ(rateFromText("12.5"), 0.125f);
  EXPECT_EQ(rateFromText("1e2"), 1.0f);
  EXPECT_EQ(rateFromText("12abc"), static_cast<float>(12.0 / 100.0));
  EXPECT_EQ(rateFromText(" 7"), static_cast<float>(7.0 / 100.0)) << "leading blanks as strtod";
  EXPECT_EQ(rateFromText("1.5.5"), static_cast<float>(1.5 / 100.0));
}

TEST(RateText, NoLeadingNumberGivesZero) {
  EXPECT_EQ(rateFromText(""), 0.0f);
  EXPECT_EQ(rateFromText("abc"), 0.0f);
  EXPECT_EQ(rateFromText("invalid"), 0.0f);
  EXPECT_EQ(rateFromText(",5"), 0.0f) << "the point is the only decimal separator";
  EXPECT_EQ(rateFromText("1,5"), static_cast<float>(1.0 / 100.0));
}

TEST(RateText, ANonFiniteRateGivesZero) {
  EXPECT_EQ(rateFromText("1e400"), 0.0f);
  EXPECT_EQ(rateFromText("1e41"), 0.0f) << "finite as a double, not as a float";
  EXPECT_EQ(rateFromText("nan"), 0.0f);
  EXPECT_EQ(rateFromText("-inf"), 0.0f);
  EXPECT_EQ(rateFromText("1e40"), static_cast<float>(1e40 / 100.0));
  EXPECT_TRUE(textconv::rateIsFinite("1e40"));
  EXPECT_TRUE(textconv::rateIsFinite(""));
  EXPECT_FALSE(textconv::rateIsFinite("1e41"));
  EXPECT_FALSE(textconv::rateIsFinite("-4e40"));
  EXPECT_FALSE(textconv::rateIsFinite("nan"));
}

TEST(WidgetText, EmptyStaysEmpty) {
  EXPECT_EQ(toWidgetText(""), u"");
  EXPECT_EQ(toNarrowText(u""), "");
}

TEST(WidgetText, AsciiRoundTripsInAnyLocale) {
  CharacterLocale locale({"C"});
  EXPECT_EQ(toWidgetText("elem:smile-Body"), u"elem:smile-Body");
  EXPECT_EQ(toNarrowText(u"12.5"), "12.5");
}

TEST(WidgetText, Utf8LocaleGivesUtf16WithSurrogatePairs) {
  CharacterLocale locale({"C.UTF-8", "C.utf8", ".UTF8", ".65001"});
  if (!locale.reads("\xE9\xA1\x94", L'\u9854'))
    GTEST_SKIP() << "no UTF-8 character locale here";
  EXPECT_EQ(toWidgetText("\xE9\xA1\x94-Body"), u"\u9854-Body");
  EXPECT_EQ(toWidgetText("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(toNarrowText(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(toNarrowText(u"\u9854\u9854"), "\xE9\xA1\x94\xE9\xA1\x94")
      << "three bytes for one unit still fit";
}

TEST(WidgetText, UnconvertibleTextIsInvalid) {
  CharacterLocale locale({"C.UTF-8", "C.utf8", ".UTF8", ".65001"});
  if (!locale.reads("\xE9\xA1\x94", L'\u9854'))
    GTEST_SKIP() << "no UTF-8 character locale here";
  EXPECT_EQ(toWidgetText("Body\xFF"), u"invalid");
  EXPECT_EQ(toWidgetText("\xE9\xA1"), u"invalid") << "cut in the middle of a character";
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(toNarrowText(lone), "invalid");
  const char16_t trailing[] = {0xDC00, 0};
  EXPECT_EQ(toNarrowText(trailing), "invalid");
}

TEST(WidgetText, JapaneseCodePageLocale) {
  CharacterLocale locale({"Japanese_Japan.932", ".932", "ja_JP.SJIS"});
  if (!locale.reads("\x8A\xE7", L'\u9854'))
    GTEST_SKIP() << "no Japanese code page locale here";
  EXPECT_EQ(toWidgetText("\x8A\xE7"), u"\u9854");
  EXPECT_EQ(toNarrowText(u"\u9854-Body"), "\x8A\xE7-Body");
  EXPECT_EQ(toWidgetText("\x81"), u"invalid") << "a lead byte without its trail byte";
}

} // namespace
