// Load, MQInit, one command run, unload, over and over: the module keeps nothing behind
// (LeakSanitizer checks the sanitizer build at exit) and every cycle behaves like the first.
#include "PluginUnderTest.h"
#include "Scenes.h"
#include "SimHost.h"

#include <gtest/gtest.h>

using testing_support::PluginUnderTest;

namespace {

// The Windows build runs under Wine, where a load cycle costs far more.
#ifdef _WIN32
constexpr int kCycles = 100;
#else
constexpr int kCycles = 1000;
#endif

TEST(LoadCycles, LoadInitRunUnload) {
  sim::Document reference;
  hardening::buildMorphScene(reference);
  PluginUnderTest first;
  ASSERT_TRUE(first.initWithSimHost());
  ASSERT_EQ(first.entry.MQModifyObject(0, reference.handle()), 1);
  first.unload();
  const std::string expected = sim::describe(reference);
  sim::freeDetachedObjects();

  sim::clearMisuses();
  sim::setStrict(true);
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    sim::Document document;
    hardening::buildMorphScene(document);
    PluginUnderTest plugin;
    ASSERT_TRUE(plugin.complete()) << "cycle " << cycle;
    ASSERT_TRUE(plugin.initWithSimHost()) << "cycle " << cycle;
    ASSERT_EQ(plugin.entry.MQModifyObject(0, document.handle()), 1) << "cycle " << cycle;
    plugin.unload();
    ASSERT_EQ(sim::describe(document), expected) << "cycle " << cycle;
    ASSERT_TRUE(sim::detachedObjects().empty()) << "cycle " << cycle << ": a clone was left";
  }
  const std::vector<std::string> lines = sim::misuses();
  sim::setStrict(false);
  EXPECT_TRUE(lines.empty()) << lines.front();
  std::printf("load cycles run: %d\n", kCycles);
}

} // namespace
