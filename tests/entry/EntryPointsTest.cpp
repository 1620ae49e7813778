// The plug-in binary's fourteen entry points, loaded by file name against the simulated host.
#include "PluginUnderTest.h"
#include "SimHost.h"

#include <gtest/gtest.h>

#include <cstring>

using testing_support::PluginUnderTest;

namespace {

class EntryPoints : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.loaded()) << testing_support::pluginFile();
    ASSERT_TRUE(plugin.complete());
  }
  PluginUnderTest plugin;
};

TEST_F(EntryPoints, VersionHandshakeAcceptsFrom0x4300) {
  EXPECT_EQ(plugin.entry.MQCheckVersion(0x4300), 0x430u);
  EXPECT_EQ(plugin.entry.MQCheckVersion(0x4301), 0x430u);
  EXPECT_EQ(plugin.entry.MQCheckVersion(0xFFFFFFFFu), 0x430u);
  EXPECT_EQ(plugin.entry.MQCheckVersion(0x42FF), 0u);
  EXPECT_EQ(plugin.entry.MQCheckVersion(0), 0u);
}

TEST_F(EntryPoints, NameIsConstantAndStartsWithProductAndVersion) {
  ASSERT_TRUE(plugin.initWithSimHost());
  const char* first = plugin.entry.MQGetPlugInName();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(std::strncmp(first, "Tovalinder v.1.4", 16), 0) << first;
  EXPECT_EQ(plugin.entry.MQGetPlugInName(), first) << "the same text, not a new one";
}

TEST_F(EntryPoints, IdentifiersAreFixed) {
  MQDWORD product = 0, id = 0, product2 = 1, id2 = 1;
  plugin.entry.MQGetPlugInID(&product, &id);
  plugin.entry.MQGetPlugInID(&product2, &id2);
  EXPECT_NE(product, 0u);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(product, product2);
  EXPECT_EQ(id, id2);
}

TEST_F(EntryPoints, ObjectPluginWithOneMenuEntry) {
  EXPECT_EQ(plugin.entry.MQGetPlugInType(), 4);
  ASSERT_NE(plugin.entry.MQEnumString(0), nullptr);
  EXPECT_STREQ(plugin.entry.MQEnumString(0), "Tovalinder");
  EXPECT_EQ(plugin.entry.MQEnumString(1), nullptr);
  EXPECT_EQ(plugin.entry.MQEnumString(-1), nullptr);
  EXPECT_EQ(plugin.entry.MQEnumFileType(0), nullptr);
  EXPECT_EQ(plugin.entry.MQEnumFileExt(0), nullptr);
}

TEST_F(EntryPoints, FileOperationsAreRefused) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  EXPECT_EQ(plugin.entry.MQImportFile(0, "x.obj", document.handle()), 0);
  EXPECT_EQ(plugin.entry.MQExportFile(0, "x.obj", document.handle()), 0);
}

TEST_F(EntryPoints, CommandIndexOtherThanZeroIsRefusedWithoutTouchingTheDocument) {
  ASSERT_TRUE(plugin.initWithSimHost());
  sim::Host host;
  host.clearMisuses();
  host.setStrict(true);
  sim::Document& document = host.newDocument();
  document.addObject("Body")->addVertex(1, 2, 3);
  const std::string before = sim::describe(document);
  EXPECT_EQ(plugin.entry.MQModifyObject(1, document.handle()), 0);
  EXPECT_EQ(plugin.entry.MQCreate(-1, document.handle()), 0);
  EXPECT_EQ(plugin.entry.MQModifySelect(7, document.handle()), 0);
  EXPECT_EQ(sim::describe(document), before);
  EXPECT_TRUE(host.misuses().empty());
  host.setStrict(false);
}

TEST_F(EntryPoints, CommandRunsForIndexZeroThroughAllThreeEntries) {
  ASSERT_TRUE(plugin.initWithSimHost());
  sim::Host host;
  sim::Document& document = host.newDocument();
  // Nothing selected: the command ends at once and answers TRUE.
  EXPECT_EQ(plugin.entry.MQModifyObject(0, document.handle()), 1);
  EXPECT_EQ(plugin.entry.MQCreate(0, document.handle()), 1);
  EXPECT_EQ(plugin.entry.MQModifySelect(0, document.handle()), 1);
}

TEST_F(EntryPoints, OnEventDeclinesEveryEventWithoutReadingTheList) {
  ASSERT_TRUE(plugin.initWithSimHost());
  sim::Host host;
  sim::Document& document = host.newDocument();
  int value = 5;
  // A list whose value pointers would fault if read: the plug-in must not look at it.
  void* hostile[] = {const_cast<char*>("index"), reinterpret_cast<void*>(0x10), nullptr, nullptr};
  void* normal[] = {const_cast<char*>("index"), &value, nullptr, nullptr};
  for (int id : {0, 1, 100, 120, 200, 300, -1}) {
    EXPECT_EQ(plugin.entry.MQOnEvent(document.handle(), id, nullptr), 0) << id;
    EXPECT_EQ(plugin.entry.MQOnEvent(document.handle(), id, normal), 0) << id;
    EXPECT_EQ(plugin.entry.MQOnEvent(document.handle(), id, hostile), 0) << id;
  }
}

TEST(EntryPointsLoad, OnEventAsFirstCallAfterInitThenUnloadAndReload) {
  for (int cycle = 0; cycle < 3; ++cycle) {
    PluginUnderTest plugin;
    ASSERT_TRUE(plugin.complete());
    ASSERT_TRUE(plugin.initWithSimHost());
    EXPECT_EQ(plugin.entry.MQOnEvent(nullptr, 0, nullptr), 0);
    EXPECT_STREQ(plugin.entry.MQEnumString(0), "Tovalinder");
  }
}

TEST(EntryPointsLoad, CommandBeforeInitIsRefusedNotCrashed) {
  PluginUnderTest plugin;
  ASSERT_TRUE(plugin.complete());
  sim::Host host;
  sim::Document& document = host.newDocument();
  EXPECT_EQ(plugin.entry.MQModifyObject(0, document.handle()), 0);
}

} // namespace
