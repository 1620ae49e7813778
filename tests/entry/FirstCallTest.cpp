// The plug-in object is made on the first call that needs it, not by the version handshake. A
// program of its own, since the object lives as long as the process.
#include "entry/Tovalinder.h"

#include <gtest/gtest.h>

extern "C" MQDWORD MQCheckVersion(MQDWORD);
extern "C" const char* MQGetPlugInName();

namespace {

TEST(FirstCall, HandshakeAloneConstructsNothing) {
  EXPECT_EQ(MQCheckVersion(0x4300), 0x430u);
  EXPECT_FALSE(pluginObjectConstructed());
  const char* name = MQGetPlugInName();
  EXPECT_TRUE(pluginObjectConstructed());
  EXPECT_EQ(MQGetPlugInName(), name);
}

} // namespace
