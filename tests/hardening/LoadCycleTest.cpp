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
  sim::Host& host = document.host();
  host.setEventDocument(document.handle());
  host.queueModalScript(sim::UserScript().clickButton("OK"));
  const testing_support::CommandCheck check(document);
  const MQBOOL result = plugin.entry.MQModifyObject(0, document.handle());
  host.setEventDocument(nullptr);
  for (const std::string& finding : check.findings())
    ADD_FAILURE() << "document check: " << finding;
  return result;
}

TEST(LoadCycles, LoadInitRunUnload) {
  sim::Host host;
  sim::Document& reference = host.newDocument();
  hardening::buildMorphScene(reference);
  const std::string scene = sim::describe(reference);
  PluginUnderTest first;
  ASSERT_TRUE(first.initWithSimHost());
  ASSERT_EQ(runCommand(first, reference), 1);
  first.unload();
  ASSERT_EQ(host.modalRuns().size(), 1u);
  ASSERT_TRUE(host.scriptFailures().empty()) << host.scriptFailures().front();
  ASSERT_NE(sim::describe(reference), scene) << "the command changes the scene";
  const std::string expected = sim::describe(reference);
  host.freeDetachedObjects();

  host.clearMisuses();
  host.setStrict(true);
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    sim::Document& document = host.newDocument();
    hardening::buildMorphScene(document);
    PluginUnderTest plugin;
    ASSERT_TRUE(plugin.complete()) << "cycle " << cycle;
    ASSERT_TRUE(plugin.initWithSimHost()) << "cycle " << cycle;
    host.clearWidgetRecords();
    ASSERT_EQ(runCommand(plugin, document), 1) << "cycle " << cycle;
    plugin.unload();
    ASSERT_EQ(host.modalRuns().size(), 1u) << "cycle " << cycle;
    ASSERT_TRUE(host.scriptFailures().empty()) << "cycle " << cycle;
    ASSERT_EQ(host.liveWidgets().size(), 1u) << "cycle " << cycle << ": only the main window";
    ASSERT_EQ(sim::describe(document), expected) << "cycle " << cycle;
    ASSERT_TRUE(host.detachedObjects().empty()) << "cycle " << cycle << ": a clone was left";
    host.closeDocument(document);
  }
  const std::vector<std::string> lines = host.misuses();
  host.setStrict(false);
  EXPECT_TRUE(lines.empty()) << lines.front();
  std::printf("load cycles run: %d\n", kCycles);
}

} // namespace
