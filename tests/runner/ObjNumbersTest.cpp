// OBJ numbers: a decimal reads as the float it denotes, rounded once (the cases a detour through
// double gets wrong: decimals a hair above or below the midpoint of two floats), every float
// survives a write and a read, and texts that are not plain decimals are refused. Also run under
// Wine, for the Windows build's standard library.
#include "ObjNumbers.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

using namespace runner::obj;

namespace {

std::uint32_t bitsOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float read(const std::string& text) {
  float value = -123.0f;
  std::string why;
  EXPECT_TRUE(parseCoordinate(text, value, why)) << text << ": " << why;
  return value;
}

// The exact decimal expansion of a double (every double is a terminating decimal).
std::string exactText(double value) {
  char text[1100];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1000);
  std::string s(text, end.ptr);
  s.erase(s.find_last_not_of('0') + 1);
  return s;
}

} // namespace

TEST(ObjNumbers, DecimalsNearAMidpointRoundOnceToTheNearerFloat) {
  std::mt19937 random(20240611);
  int checked = 0;
  for (int i = 0; i < 4000; ++i) {
    // Up to 2^20 the midpoint has a fraction, so its exact decimal ends in 5.
    const float low = std::ldexp(std::uniform_real_distribution<float>(1.0f, 2.0f)(random),
                                 std::uniform_int_distribution<int>(-30, 20)(random));
    const float high = std::nextafter(low, 1e30f);
    const std::string midpoint = exactText((static_cast<double>(low) + high) / 2);
    ASSERT_EQ(midpoint.back(), '5') << midpoint;
    // The midpoint itself goes to the float with the even last bit.
    const float even = (bitsOf(low) & 1u) == 0 ? low : high;
    EXPECT_EQ(bitsOf(read(midpoint)), bitsOf(even)) << midpoint;
    // A hair above and below: through double both would land on the midpoint and then on the
    // even float; read directly each goes to its own side.
    EXPECT_EQ(bitsOf(read(midpoint + "000000000000000000001")), bitsOf(high)) << midpoint;
    std::string below = midpoint;
    below.back() = '4';
    EXPECT_EQ(bitsOf(read(below + "99999999999999999999")), bitsOf(low)) << below;
    EXPECT_EQ(bitsOf(read("-" + below + "99999999999999999999")), bitsOf(-low)) << below;
    ++checked;
  }
  EXPECT_EQ(checked, 4000);
}

TEST(ObjNumbers, EveryFiniteFloatSurvivesItsShortestText) {
  std::mt19937 random(7);
  std::vector<std::uint32_t> patterns = {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu,
                                         0x00800000u, 0x7F7FFFFFu, 0xFF7FFFFFu, 0x3DCCCCCDu};
  for (int i = 0; i < 200000; ++i)
    patterns.push_back(static_cast<std::uint32_t>(random()));
  for (std::uint32_t bits : patterns) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value))
      continue;
    const std::string text = shortestText(value);
    ASSERT_EQ(bitsOf(read(text)), bits) << text;
  }
  EXPECT_EQ(shortestText(0.1f), "0.1");
  EXPECT_EQ(shortestText(-0.0f), "-0");
  EXPECT_EQ(shortestText(1e-5f), "1e-05");
}

TEST(ObjNumbers, PlainDecimalsInEveryShapeAreRead) {
  EXPECT_EQ(read("2."), 2.0f);
  EXPECT_EQ(read(".5"), 0.5f);
  EXPECT_EQ(read("+1"), 1.0f);
  EXPECT_EQ(read("-3.25"), -3.25f);
  EXPECT_EQ(read("2.e1"), 20.0f);
  EXPECT_EQ(read("+3.1E-2"), 0.031f);
  EXPECT_EQ(read("0000000000000000000000000001.5"), 1.5f);
  EXPECT_EQ(bitsOf(read("1e-45")), 1u); // the smallest denormal
  EXPECT_EQ(bitsOf(read("3.4028235e38")), 0x7F7FFFFFu);
  // Below half the smallest denormal the nearest float is a zero of the same sign.
  EXPECT_EQ(bitsOf(read("7e-46")), 0u);
  EXPECT_EQ(bitsOf(read("-1e-400")), 0x80000000u);
  EXPECT_EQ(bitsOf(read("0.000000000000000000000000000000000000000000000000001")), 0u);
  EXPECT_EQ(bitsOf(read("1e-99999999999999")), 0u);
}

TEST(ObjNumbers, TextsThatAreNotPlainDecimalsAreRefused) {
  for (const char* text :
       {"nan", "-nan", "NaN", "inf", "-inf", "infinity", "0x1p3", "1e", "1e+", "3.1+e2", "1.0.0",
        "",    "+",    "-",   ".",   "+-1",  "1,5",      "1 2",   "e5", "1f",  "--1"}) {
    float value = 7.0f;
    std::string why;
    EXPECT_FALSE(parseCoordinate(text, value, why)) << text;
    EXPECT_EQ(why, "not a number") << text;
    EXPECT_EQ(value, 7.0f) << text;
  }
  for (const char* text : {"3.4028236e38", "1e39", "-1e39", "1e99999999999",
                           "100000000000000000000000000000000000000000"}) {
    float value = 7.0f;
    std::string why;
    EXPECT_FALSE(parseCoordinate(text, value, why)) << text;
    EXPECT_EQ(why, "too large for single precision") << text;
  }
}

TEST(ObjNumbers, IndicesAreNonzeroWholeNumbers) {
  long index = 0;
  EXPECT_TRUE(parseIndex("17", index));
  EXPECT_EQ(index, 17);
  EXPECT_TRUE(parseIndex("-3", index));
  EXPECT_EQ(index, -3);
  EXPECT_TRUE(parseIndex("999999999", index));
  for (const char* text : {"0", "-0", "", "-", "+1", "1.0", "1e3", "1000000000", "x", "1/2"})
    EXPECT_FALSE(parseIndex(text, index)) << text;
}
