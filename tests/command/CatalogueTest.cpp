// Choice of Source and Destination and the candidate list, called on the plug-in object directly.
#include "StagesFixture.h"

namespace {

using Catalogue = Stages;
using Names = std::vector<std::string>;

TEST_F(Catalogue, NothingSelectedChangesNothing) {
  sim::Object* body = mesh("Body", 3);
  plugin.source = handleOf(body);
  plugin.destination = handleOf(body);
  transferSettings().sourceName = "earlier";
  EXPECT_EQ(plugin.selectSourceAndDestination(), 0);
  EXPECT_EQ(plugin.source.object, body->handle());
  EXPECT_EQ(transferSettings().sourceName, "earlier");
}

TEST_F(Catalogue, OneSelectedIsBothSourceAndDestination) {
  mesh("Other", 3);
  sim::Object* body = mesh("Body", 3, 1);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  EXPECT_EQ(plugin.source.object, body->handle());
  EXPECT_EQ(plugin.destination.object, body->handle());
  EXPECT_EQ(transferSettings().sourceName, "Body");
  EXPECT_EQ(transferSettings().destinationName, "Body");
}

TEST_F(Catalogue, FirstTwoSelectedInSlotOrderCountAndEmptySlotsAreSkipped) {
  document.addEmptySlot();
  sim::Object* gone = mesh("Gone", 3, 1);
  document.deleteObject(document.indexOf(gone));
  sim::Object* body = mesh("Body", 3, 1);
  mesh("Unselected", 3);
  sim::Object* body2 = mesh("Body2", 3, 5);
  mesh("Third", 3, 1);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  EXPECT_EQ(plugin.source.object, body->handle());
  EXPECT_EQ(plugin.destination.object, body2->handle());
  EXPECT_EQ(transferSettings().sourceName, "Body");
  EXPECT_EQ(transferSettings().destinationName, "Body2");
}

TEST_F(Catalogue, ElementsOnlyListsTheSourcesElements) {
  mesh("Body", 4, 1);
  mesh("Body2", 5, 1);
  for (const char* name : {"elem:smile-Body", "elem:smile-Head", "elem:smile-Body-2", "elem:smile",
                           "#elem:smile-Body", "elem:blink-Body"})
    mesh(name, 4);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  EXPECT_TRUE(plugin.rebuildCandidates(true, false));
  EXPECT_EQ(candidateNames(), (Names{"elem:smile-Body", "elem:blink-Body"}));
}

TEST_F(Catalogue, VertexCountFilterComparesWithTheSource) {
  mesh("Body", 4, 1);
  mesh("Body2", 5, 1);
  mesh("elem:a-Body", 4);
  mesh("elem:b-Body", 5);
  mesh("Prop", 4);
  mesh("Empty", 0);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  plugin.rebuildCandidates(true, true);
  EXPECT_EQ(candidateNames(), (Names{"elem:a-Body"}));
  plugin.rebuildCandidates(false, true);
  EXPECT_EQ(candidateNames(), (Names{"elem:a-Body", "Prop"}));
  plugin.rebuildCandidates(true, false);
  EXPECT_EQ(candidateNames(), (Names{"elem:a-Body", "elem:b-Body"}));
  plugin.rebuildCandidates(false, false);
  EXPECT_EQ(candidateNames(), (Names{"elem:a-Body", "elem:b-Body", "Prop", "Empty"}));
}

TEST_F(Catalogue, BaseNameComesFromTheSourcesCurrentName) {
  sim::Object* body = mesh("obj:Body-L", 3, 1);
  mesh("elem:a-Body", 3);
  mesh("elem:a-Head", 3);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  plugin.rebuildCandidates(true, true);
  EXPECT_EQ(candidateNames(), (Names{"elem:a-Body"}));
  body->setName("Head");
  plugin.rebuildCandidates(true, true);
  EXPECT_EQ(candidateNames(), (Names{"elem:a-Head"}));
}

TEST_F(Catalogue, LockedCandidatesStartUnselectedAndEmptyResultIsFalse) {
  mesh("Body", 3, 1);
  mesh("elem:a-Body", 3)->locked = 1;
  mesh("elem:b-Body", 3);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  ASSERT_TRUE(plugin.rebuildCandidates(true, true));
  ASSERT_EQ(transferSettings().candidates.size(), 2u);
  EXPECT_FALSE(transferSettings().candidates[0].selected);
  EXPECT_TRUE(transferSettings().candidates[1].selected);
  EXPECT_EQ(transferSettings().candidates[0].object.document, document.handle());

  transferSettings().candidates[1].selected = false;
  plugin.rebuildCandidates(true, true);
  EXPECT_TRUE(transferSettings().candidates[1].selected) << "a rebuild starts from the lock rule";

  document.objectAt(0)->setName("Nobody");
  EXPECT_FALSE(plugin.rebuildCandidates(true, true));
  EXPECT_TRUE(transferSettings().candidates.empty());
}

TEST_F(Catalogue, SourceAndDestinationAreNeverCandidates) {
  mesh("elem:a-Body", 3, 1);
  mesh("elem:b-Body", 3, 1);
  mesh("elem:c-Body", 3);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  plugin.rebuildCandidates(false, false);
  EXPECT_EQ(candidateNames(), (Names{"elem:c-Body"}));
}

} // namespace
