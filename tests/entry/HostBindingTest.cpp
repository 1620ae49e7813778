// MQInit binds the host function table by name from a real module: a module lacking any one
// of the 175 names is refused.
#include "PluginUnderTest.h"
#include "SimHost.h"

#include <gtest/gtest.h>

using testing_support::PluginUnderTest;
using testing_support::stubHostFile;

namespace {

TEST(HostBinding, SimulatedHostBinds) {
  PluginUnderTest plugin;
  ASSERT_TRUE(plugin.complete());
  EXPECT_EQ(plugin.entry.MQInit(testing_support::simHostFile().c_str()), 1);
}

TEST(HostBinding, StubExportingAllNamesBinds) {
  PluginUnderTest plugin;
  ASSERT_TRUE(plugin.complete());
  EXPECT_EQ(plugin.entry.MQInit(stubHostFile(-1).c_str()), 1);
}

TEST(HostBinding, MissingModuleIsRefused) {
  PluginUnderTest plugin;
  ASSERT_TRUE(plugin.complete());
  EXPECT_EQ(plugin.entry.MQInit("no-such-host-module.bin"), 0);
  EXPECT_EQ(plugin.entry.MQInit(nullptr), 0);
}

TEST(HostBinding, ModuleLackingAnyOneNameIsRefused) {
  PluginUnderTest plugin;
  ASSERT_TRUE(plugin.complete());
  for (int slot = 0; slot < MQ_HOST_FUNCTION_COUNT; ++slot) {
    testing_support::LoadedModule stub(stubHostFile(slot));
    ASSERT_TRUE(stub.loaded()) << stubHostFile(slot);
    EXPECT_EQ(plugin.entry.MQInit(stubHostFile(slot).c_str()), 0) << "slot " << slot;
  }
}

TEST(HostBinding, FailedBindingKeepsTheEarlierTable) {
  PluginUnderTest plugin;
  ASSERT_TRUE(plugin.complete());
  ASSERT_EQ(plugin.entry.MQInit(testing_support::simHostFile().c_str()), 1);
  ASSERT_EQ(plugin.entry.MQInit(stubHostFile(0).c_str()), 0);
  // The command still reaches the simulated host, not a released stub module.
  sim::Host host;
  sim::Document& document = host.newDocument();
  EXPECT_EQ(plugin.entry.MQModifyObject(0, document.handle()), 1);
}

} // namespace
