// Reading host value lists: first match wins, whole keys only, null lists and values tolerated.
#include "entry/ValueListLookup.h"

#include <gtest/gtest.h>

namespace {

using namespace valuelist;

TEST(ValueListLookup, FirstMatchingPairWins) {
  int seven = 7, nine = 9;
  void* list[] = {
      const_cast<char*>("index"), &seven, const_cast<char*>("index"), &nine, nullptr, nullptr};
  EXPECT_EQ(findInt(list, "index", -1), 7);
  EXPECT_EQ(findPointer(list, "index"), &seven);
}

TEST(ValueListLookup, KeysMatchWholeAndCaseSensitive) {
  int value = 3;
  void* list[] = {const_cast<char*>("Index"),
                  &value,
                  const_cast<char*>("indexes"),
                  &value,
                  const_cast<char*>("inde"),
                  &value,
                  nullptr,
                  nullptr};
  EXPECT_EQ(findInt(list, "index", -4), -4);
  EXPECT_EQ(findPointer(list, "index"), nullptr);
  EXPECT_EQ(findFloat(list, "index"), 0.0f);
}

TEST(ValueListLookup, NullValueGivesDefaultEvenWithALaterMatch) {
  int later = 11;
  float pressure = 0.5f;
  void* list[] = {const_cast<char*>("index"),
                  nullptr,
                  const_cast<char*>("index"),
                  &later,
                  const_cast<char*>("pressure"),
                  nullptr,
                  const_cast<char*>("pressure"),
                  &pressure,
                  nullptr,
                  nullptr};
  EXPECT_EQ(findInt(list, "index", 42), 42);
  EXPECT_EQ(findFloat(list, "pressure"), 0.0f);
  EXPECT_EQ(findPointer(list, "index"), nullptr);
}

TEST(ValueListLookup, NullAndEmptyListsGiveDefaults) {
  void* empty[] = {nullptr, nullptr};
  for (MQValueList list : {static_cast<MQValueList>(nullptr), static_cast<MQValueList>(empty)}) {
    EXPECT_EQ(findInt(list, "index", 5), 5);
    EXPECT_EQ(findFloat(list, "pressure"), 0.0f);
    EXPECT_EQ(findPointer(list, "canvas"), nullptr);
  }
}

TEST(ValueListLookup, ReadsFloatsAndPointers) {
  float pressure = 0.25f;
  char canvas;
  void* list[] = {const_cast<char*>("pressure"),
                  &pressure,
                  const_cast<char*>("canvas"),
                  &canvas,
                  nullptr,
                  nullptr};
  EXPECT_EQ(findFloat(list, "pressure"), 0.25f);
  EXPECT_EQ(findPointer(list, "canvas"), &canvas);
}

} // namespace
