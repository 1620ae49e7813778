// The element naming rules, on documents of the simulated host.
#include "SimHost.h"
#include "StrictHost.h"
#include "host/HostTable.h"
#include "transfer/ElementNaming.h"

#include <gtest/gtest.h>

namespace {

using naming::baseName;
using naming::isElementOf;

TEST(BaseName, DropsTheOwnerPrefixAndTheSideSuffix) {
  EXPECT_EQ(baseName("Body"), "Body");
  EXPECT_EQ(baseName("Body-L"), "Body");
  EXPECT_EQ(baseName("obj:Body-L"), "Body");
  EXPECT_EQ(baseName("a:b:c-d"), "b:c") << "only up to the first colon goes";
  EXPECT_EQ(baseName("Body-L-2"), "Body");
  EXPECT_EQ(baseName(""), "");
}

TEST(BaseName, KeepsADashNearTheStart) {
  EXPECT_EQ(baseName("A-B"), "A-B");
  EXPECT_EQ(baseName("-Body"), "-Body");
  EXPECT_EQ(baseName("x:A-B"), "A-B");
  EXPECT_EQ(baseName("AB-C"), "AB");
}

TEST(IsElementOf, NeedsThePrefixAndTheExactBase) {
  EXPECT_TRUE(isElementOf("elem:smile-Body", "Body"));
  EXPECT_TRUE(isElementOf("elem:blink-Body", "Body"));
  EXPECT_TRUE(isElementOf("elem:-Body", "Body"));
  EXPECT_FALSE(isElementOf("elem:smile-Head", "Body"));
  EXPECT_FALSE(isElementOf("elem:smile-Body-2", "Body"));
  EXPECT_FALSE(isElementOf("elem:smile-Bod", "Body"));
  EXPECT_FALSE(isElementOf("elem:smile", "Body"));
  EXPECT_FALSE(isElementOf("#elem:smile-Body", "Body"));
  EXPECT_FALSE(isElementOf("Elem:smile-Body", "Body")) << "case matters";
  EXPECT_FALSE(isElementOf("elem:smile-body", "Body"));
  EXPECT_FALSE(isElementOf("elem", ""));
  EXPECT_TRUE(isElementOf("elem:x-", ""));
}

TEST(IsElementOf, ComparesToTheLastByte) {
  const std::string base("Bo\0dy", 5);
  EXPECT_TRUE(isElementOf(std::string("elem:s-Bo\0dy", 12), base));
  EXPECT_FALSE(isElementOf(std::string("elem:s-Bo\0dz", 12), base));
}

class DocumentNames : public testing_support::StrictHost {
protected:
  void SetUp() override {
    StrictHost::SetUp();
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
  }
  sim::Document& document = host.newDocument();
};

TEST_F(DocumentNames, BackupNameIsAFreeNameStartingWithHash) {
  document.addObject("elem:smile-Body");
  EXPECT_EQ(naming::backupName(document.handle(), "elem:smile-Body"), "#elem:smile-Body");
  document.addObject("#elem:smile-Body");
  EXPECT_EQ(naming::backupName(document.handle(), "elem:smile-Body"), "#elem:smile-Body2");
}

TEST_F(DocumentNames, NewElementNameTakesTheFirstFreeNumber) {
  document.addObject("elem:smile-Body");
  EXPECT_EQ(naming::newElementName(document.handle(), "elem:smile-Body"), "elem:smilenew1-Body");
  document.addObject("elem:smilenew1-Body");
  EXPECT_EQ(naming::newElementName(document.handle(), "elem:smile-Body"), "elem:smilenew2-Body");
  document.addObject("elem:smilenew3-Body");
  EXPECT_EQ(naming::newElementName(document.handle(), "elem:smile-Body"), "elem:smilenew2-Body");
}

TEST_F(DocumentNames, NewElementNameSplitsAtTheFirstDash) {
  EXPECT_EQ(naming::newElementName(document.handle(), "elem:smile-Body-L"),
            "elem:smilenew1-Body-L");
  EXPECT_EQ(naming::newElementName(document.handle(), "elem:smile"), "elem:smilenew1");
  EXPECT_EQ(naming::newElementName(document.handle(), "-Body"), "new1-Body");
  EXPECT_EQ(naming::newElementName(document.handle(), ""), "new1");
}

TEST_F(DocumentNames, NewElementNameIgnoresRemovedObjectsAndCountsPastNine) {
  document.addObject("elem:smilenew1-Body");
  document.deleteObject(0);
  EXPECT_EQ(naming::newElementName(document.handle(), "elem:smile-Body"), "elem:smilenew1-Body");
  for (int n = 1; n <= 10; ++n)
    document.addObject("elem:smilenew" + std::to_string(n) + "-Body");
  EXPECT_EQ(naming::newElementName(document.handle(), "elem:smile-Body"), "elem:smilenew11-Body");
}

} // namespace
