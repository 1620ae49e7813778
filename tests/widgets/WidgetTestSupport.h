// Shared set-up of the widget tests: the plug-in's host table bound to the simulated host module,
// a host of its own for each test, strict mode on; afterwards no misuse, no script failure, no
// widget left over.
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
    host.makeCurrent();
    host.setStrict(true);
  }
  void TearDown() override {
    for (const std::string& misuse : host.misuses())
      ADD_FAILURE() << "misuse: " << misuse;
    for (const std::string& failure : host.scriptFailures())
      ADD_FAILURE() << "script: " << failure;
    EXPECT_EQ(host.liveWidgets(), std::vector<int>{sim::kMainWindowId}) << "widgets left over";
  }

  // Messages of one number, in order.
  std::vector<sim::WidgetMessage> messagesOf(int message) const {
    std::vector<sim::WidgetMessage> found;
    for (const sim::WidgetMessage& sent : host.widgetMessages())
      if (sent.message == message)
        found.push_back(sent);
    return found;
  }

  sim::Host host; // a host of its own for each test
};
