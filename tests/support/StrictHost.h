// The fixture for every test against the simulated host in strict mode: each test has a host of
// its own (made current before the test, dropped after it with everything it holds), and each
// misuse the host records fails the test unless the test took it with takeMisuses(), so no test
// depends on another.
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
    host.makeCurrent();
    host.setStrict(true);
  }
  void TearDown() override {
    for (const std::string& misuse : host.misuses())
      ADD_FAILURE() << "host misuse: " << misuse;
    host.clearMisuses();
  }

  // The misuses recorded so far, for a test that provokes them; they no longer fail it.
  std::vector<std::string> takeMisuses() {
    std::vector<std::string> recorded = host.misuses();
    host.clearMisuses();
    return recorded;
  }

  sim::Host host;
};

} // namespace testing_support
