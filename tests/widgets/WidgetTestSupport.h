// Shared set-up of the widget tests: the plug-in's host table bound to the simulated host module,
// strict mode on, records cleared; afterwards no misuse, no script failure, no widget left over.
#pragma once

#include "SimHost.h"
#include "SimWidgets.h"
#include "host/HostTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class WidgetTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
    sim::clearMisuses();
    sim::clearWidgetRecords();
    sim::setStrict(true);
  }
  void TearDown() override {
    for (const std::string& misuse : sim::misuses())
      ADD_FAILURE() << "misuse: " << misuse;
    for (const std::string& failure : sim::scriptFailures())
      ADD_FAILURE() << "script: " << failure;
    EXPECT_EQ(sim::liveWidgets(), std::vector<int>{sim::kMainWindowId}) << "widgets left over";
    sim::setStrict(false);
    sim::clearMisuses();
    sim::clearWidgetRecords();
  }

  // Messages of one number, in order.
  static std::vector<sim::WidgetMessage> messagesOf(int message) {
    std::vector<sim::WidgetMessage> found;
    for (const sim::WidgetMessage& sent : sim::widgetMessages())
      if (sent.message == message)
        found.push_back(sent);
    return found;
  }
};
