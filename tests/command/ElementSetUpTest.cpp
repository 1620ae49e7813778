// Element set-up, name exchange, element collection and the removal of old elements, called on
// the plug-in object directly.
#include "StagesFixture.h"

namespace {

using ElementSetUp = Stages;
using Names = std::vector<std::string>;

class PickedElements : public Stages {
protected:
  void SetUp() override {
    Stages::SetUp();
    body = mesh("Body", 3, 1);
    smile = mesh("elem:smile-Body", 3);
    smile->depth = 1;
    smile->visible = 0;
    blink = mesh("elem:blink-Body", 3);
    blink->depth = 2;
    body2 = mesh("Body2", 4, 1);
    body2->editPositions()[3] = {7, 8, 9};
    ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
    plugin.elements = {handleOf(smile), handleOf(blink)};
  }
  sim::Object* newElement(size_t k) { return host.objectFromHandle(plugin.newElements[k].object); }

  sim::Object* body = nullptr;
  sim::Object* smile = nullptr;
  sim::Object* blink = nullptr;
  sim::Object* body2 = nullptr;
};

TEST_F(PickedElements, OldElementsBecomeBackupsAndClonesTakeTheirNames) {
  document.addObject("#elem:blink-Body");
  EXPECT_EQ(plugin.setUpElements(), 1);
  ASSERT_EQ(plugin.newElements.size(), 2u);
  EXPECT_EQ(names(), (Names{"Body", "#elem:smile-Body", "elem:smile-Body", "#elem:blink-Body2",
                            "elem:blink-Body", "Body2", "#elem:blink-Body"}));
  EXPECT_EQ(newElement(0), document.objectAt(2));
  EXPECT_EQ(newElement(1), document.objectAt(4));
  EXPECT_EQ(plugin.elements[0].object, smile->handle());
  EXPECT_EQ(plugin.elements[1].object, blink->handle());
  EXPECT_TRUE(host.detachedObjects().empty());
}

TEST_F(PickedElements, ClonesCarryTheDestinationsGeometryAndTheOldDepthAndVisibility) {
  plugin.setUpElements();
  for (size_t k = 0; k < 2; ++k) {
    sim::Object* made = newElement(k);
    ASSERT_EQ(made->vertexCount(), 4);
    EXPECT_EQ(made->positions[3].z, 9.f);
    EXPECT_NE(made, body2) << "every element gets its own clone";
    EXPECT_EQ(made->selected, 0);
  }
  EXPECT_EQ(newElement(0)->depth, 1);
  EXPECT_EQ(newElement(0)->visible, 0u);
  EXPECT_EQ(newElement(1)->depth, 2);
  EXPECT_EQ(newElement(1)->visible, 0xFFFFFFFFu);
  EXPECT_EQ(body2->name(), "Body2") << "the Destination itself is untouched";
  EXPECT_EQ(body2->vertexCount(), 4);
}

TEST_F(PickedElements, RenamedNewElementsLeaveTheOldNames) {
  transferSettings().renameNewElements = true;
  document.addObject("elem:smilenew1-Body");
  plugin.setUpElements();
  EXPECT_EQ(names(), (Names{"Body", "elem:smile-Body", "elem:smilenew2-Body", "elem:blink-Body",
                            "elem:blinknew1-Body", "Body2", "elem:smilenew1-Body"}));
}

TEST_F(PickedElements, NameWithoutDashGetsNewAtTheEnd) {
  transferSettings().renameNewElements = true;
  smile->setName("smile");
  plugin.elements.pop_back();
  plugin.setUpElements();
  EXPECT_EQ(newElement(0)->name(), "smilenew1");
}

TEST_F(PickedElements, NothingPickedMakesNothing) {
  plugin.elements.clear();
  const std::string before = sim::describe(document);
  EXPECT_EQ(plugin.setUpElements(), 1);
  EXPECT_TRUE(plugin.newElements.empty());
  EXPECT_EQ(sim::describe(document), before);
}

TEST_F(PickedElements, NoCloneFromTheHostLeavesTheElementAlone) {
  // A Destination the host no longer knows: the host answers no clone.
  document.deleteObject(document.indexOf(body2));
  plugin.setUpElements();
  const std::vector<std::string> misuses = host.misuses();
  host.clearMisuses();
  ASSERT_EQ(misuses.size(), 2u) << "only the two clone requests";
  EXPECT_NE(misuses[0].find("MQObj_Clone"), std::string::npos) << misuses[0];
  EXPECT_TRUE(plugin.elements.empty());
  EXPECT_TRUE(plugin.newElements.empty());
  EXPECT_EQ(names(), (Names{"Body", "elem:smile-Body", "elem:blink-Body"}));
}

TEST_F(ElementSetUp, ExchangeGivesTheDestinationTheSourceName) {
  mesh("#Body", 3);
  sim::Object* body = mesh("Body", 3, 1);
  sim::Object* body2 = mesh("Body2", 3, 1);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  body->setName("Renamed meanwhile");
  document.objectAt(0)->setName("#Body");
  plugin.exchangeNames();
  EXPECT_EQ(body->name(), "#Body2") << "a free name made from the name taken at the start";
  EXPECT_EQ(body2->name(), "Body");
}

TEST_F(ElementSetUp, ExchangeIsSkippedWhenNamesAreKeptOrSourceIsDestination) {
  mesh("Body", 3, 1);
  mesh("Body2", 3, 1);
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  transferSettings().keepObjectNames = true;
  plugin.exchangeNames();
  EXPECT_EQ(names(), (Names{"Body", "Body2"}));

  document.objectAt(1)->selected = 0;
  ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
  transferSettings().keepObjectNames = false;
  plugin.exchangeNames();
  EXPECT_EQ(names(), (Names{"Body", "Body2"}));
}

TEST_F(ElementSetUp, CollectionTakesSelectedEntriesInListOrderAndEmptiesTheList) {
  sim::Object* a = mesh("a", 3);
  mesh("b", 3);
  sim::Object* c = mesh("c", 3);
  transferSettings().candidates = {
      {handleOf(a), true}, {handleOf(document.objectAt(1)), false}, {handleOf(c), true}};
  plugin.collectElements();
  ASSERT_EQ(plugin.elements.size(), 2u);
  EXPECT_EQ(plugin.elements[0].object, a->handle());
  EXPECT_EQ(plugin.elements[1].object, c->handle());
  EXPECT_TRUE(transferSettings().candidates.empty());
}

TEST_F(ElementSetUp, OldElementsAreRemovedOnlyWithoutBackups) {
  sim::Object* a = mesh("a", 3);
  mesh("keep", 3);
  sim::Object* b = mesh("b", 3);
  plugin.elements = {handleOf(a), handleOf(b)};
  transferSettings().createBackupElements = true;
  plugin.removeOldElements();
  EXPECT_EQ(names(), (Names{"a", "keep", "b"}));

  transferSettings().createBackupElements = false;
  plugin.removeOldElements();
  EXPECT_EQ(names(), (Names{"keep"}));
  EXPECT_EQ(document.slotCount(), 3);
}

TEST_F(ElementSetUp, AnOldElementOutsideTheDocumentIsFreed) {
  sim::Object* a = mesh("a", 3);
  cmq::CMQObject detached = handleOf(a).clone();
  ASSERT_EQ(host.detachedObjects().size(), 1u);
  plugin.elements = {detached, handleOf(a)};
  plugin.removeOldElements();
  EXPECT_TRUE(host.detachedObjects().empty());
  EXPECT_TRUE(document.objects().empty());
}

} // namespace
