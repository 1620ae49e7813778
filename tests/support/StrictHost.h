// The fixture for every test against the simulated host in strict mode: each misuse the host
// records fails the test unless the test took it with takeMisuses(); after each test the objects
// made but never placed are freed and strict mode is off again, so no test depends on another.
// Relies on the simulated host (SimHost.h); a test program using it links SimHost.
#pragma once

#include "SimHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support {

class StrictHost : public ::testing::Test {
protected:
  void SetUp() override {
    sim::clearMisuses();
    sim::setStrict(true);
  }
  void TearDown() override {
    for (const std::string& misuse : sim::misuses())
      ADD_FAILURE() << "host misuse: " << misuse;
    sim::clearMisuses();
    sim::setStrict(false);
    sim::freeDetachedObjects();
  }

  // The misuses recorded so far, for a test that provokes them; they no longer fail it.
  static std::vector<std::string> takeMisuses() {
    std::vector<std::string> recorded = sim::misuses();
    sim::clearMisuses();
    return recorded;
  }
};

} // namespace testing_support
