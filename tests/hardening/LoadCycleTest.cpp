// Load, MQInit, one command run, unload, over and over: the module keeps nothing behind
// (LeakSanitizer checks the sanitizer build at exit) and every cycle behaves like the first.
#include "CommandCheck.h"
#include "MorphScene.h"
#include "PluginUnderTest.h"
#include "SimHost.h"
#include "SimWidgets.h"

#include <gtest/gtest.h>

using testing_support::PluginUnderTest;

namespace {

// The Windows build runs under Wine, where a load cycle costs far more.
#ifdef _WIN32
constexpr int kCycles = 100;
#else
constexpr int kCycles = 1000;
#endif

// One command run as a modeler does it: the dialog confirmed with OK.
MQBOOL runCommand(PluginUnderTest& plugin, sim::Document& document) {
  sim::setEventDocument(document.handle());
  sim::queueModalScript(sim::UserScript().clickButton("OK"));
  const testing_support::CommandCheck check(document);
  const MQBOOL result = plugin.entry.MQModifyObject(0, document.handle());
  sim::setEventDocument(nullptr);
  for (const std::string& finding : check.findings())
    ADD_FAILURE() << "document check: " << finding;
  return result;
}

TEST(LoadCycles, LoadInitRunUnload) {
  sim::clearWidgetRecords();
  sim::Document reference;
  hardening::buildMorphScene(reference);
  const std::string scene = sim::describe(reference);
  PluginUnderTest first;
  ASSERT_TRUE(first.initWithSimHost());
  ASSERT_EQ(runCommand(first, reference), 1);
  first.unload();
  ASSERT_EQ(sim::modalRuns().size(), 1u);
  ASSERT_TRUE(sim::scriptFailures().empty()) << sim::scriptFailures().front();
  ASSERT_NE(sim::describe(reference), scene) << "the command changes the scene";
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
    sim::clearWidgetRecords();
    ASSERT_EQ(runCommand(plugin, document), 1) << "cycle " << cycle;
    plugin.unload();
    ASSERT_EQ(sim::modalRuns().size(), 1u) << "cycle " << cycle;
    ASSERT_TRUE(sim::scriptFailures().empty()) << "cycle " << cycle;
    ASSERT_EQ(sim::liveWidgets().size(), 1u) << "cycle " << cycle << ": only the main window";
    ASSERT_EQ(sim::describe(document), expected) << "cycle " << cycle;
    ASSERT_TRUE(sim::detachedObjects().empty()) << "cycle " << cycle << ": a clone was left";
  }
  const std::vector<std::string> lines = sim::misuses();
  sim::setStrict(false);
  EXPECT_TRUE(lines.empty()) << lines.front();
  std::printf("load cycles run: %d\n", kCycles);
}

} // namespace
