// The plug-in object behind the entry points, linked white-box.
#include "entry/Tovalinder.h"
#include "host/HostTable.h"

#include <gtest/gtest.h>

extern "C" MQBOOL MQModifyObject(int, MQDocument);

namespace {

TEST(PluginObject, IndexOtherThanZeroLeavesTheDocumentField) {
  Tovalinder& plugin = pluginObject();
  auto* marker = reinterpret_cast<MQDocument>(&plugin);
  plugin.document = marker;
  EXPECT_EQ(MQModifyObject(1, nullptr), 0);
  EXPECT_EQ(plugin.document, marker);
  plugin.document = nullptr;
}

TEST(PluginObject, IntMapKeepsTheFirstEntry) {
  IntMap map;
  map.insert(3, 30);
  map.insert(3, 31);
  EXPECT_EQ(map.find(3, -1), 30);
  EXPECT_EQ(map.find(4, -1), -1);
  EXPECT_EQ(map.size(), 1u);
}

} // namespace
