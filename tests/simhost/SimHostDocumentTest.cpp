// The simulated host behaves as a modeling application would: object slots, insertion, names,
// selection by slot, and strict mode recording misuse instead of crashing.
#include "HostFunctions.h"
#include "SimHost.h"
#include "StrictHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class SimHostDocument : public testing_support::StrictHost {
protected:
  sim::Document& document = host.newDocument();
};

TEST_F(SimHostDocument, DeletingLeavesAnEmptySlotAndAStaleHandle) {
  MQObject a = document.addObject("A")->handle();
  MQObject b = document.addObject("B")->handle();
  ASSERT_EQ(MQDoc_DeleteObject(document.handle(), 0), 1);
  EXPECT_EQ(MQDoc_GetObjectCount(document.handle()), 2);
  EXPECT_EQ(MQDoc_GetObject(document.handle(), 0), nullptr);
  EXPECT_EQ(MQDoc_GetObjectIndex(document.handle(), a), -1);
  EXPECT_EQ(MQDoc_GetObjectIndex(document.handle(), b), 1);
  EXPECT_TRUE(takeMisuses().empty()) << "asking for a gone object's index is not a misuse";
  EXPECT_EQ(MQObj_GetVertexCount(a), 0);
  EXPECT_EQ(takeMisuses().size(), 1u) << "using a deleted object is";
  EXPECT_EQ(MQDoc_DeleteObject(document.handle(), 0), 0);
  EXPECT_EQ(takeMisuses().size(), 1u) << "deleting an empty slot";
}

// The host remembers the handles it found last: one asked about just before its object goes is
// stale all the same, whether the object was detached or in the document.
TEST_F(SimHostDocument, AHandleAskedAboutJustBeforeItsObjectGoesIsStale) {
  sim::Object* body = document.addObject("Body");
  body->addVertex(0, 0, 0);
  MQObject a = body->handle();
  MQObject clone = MQObj_Clone(a);
  EXPECT_EQ(MQObj_GetVertexCount(clone), 1);
  EXPECT_EQ(MQObj_GetVertexCount(a), 1);
  MQObj_Delete(clone);
  EXPECT_EQ(MQObj_GetVertexCount(clone), 0);
  EXPECT_EQ(MQObj_GetVertexCount(a), 1);
  ASSERT_EQ(MQDoc_DeleteObject(document.handle(), 0), 1);
  EXPECT_EQ(MQObj_GetVertexCount(a), 0);
  EXPECT_EQ(takeMisuses().size(), 2u) << "each use of a gone object is a misuse";
}

TEST_F(SimHostDocument, InsertPlacesRightAfterTheReference) {
  MQObject a = document.addObject("A")->handle();
  document.addObject("B");
  MQObject clone = MQObj_Clone(a);
  EXPECT_EQ(MQDoc_GetObjectIndex(document.handle(), clone), -1) << "a clone is in no document";
  EXPECT_EQ(MQDoc_InsertObject(document.handle(), clone, a), 1);
  EXPECT_EQ(document.objectAt(1)->handle(), clone);
  EXPECT_EQ(document.objectAt(2)->name(), "B");
  EXPECT_EQ(MQDoc_InsertObject(document.handle(), clone, a), -1);
  EXPECT_EQ(takeMisuses().size(), 1u) << "inserting twice";
  MQObject tail = MQObj_Clone(a);
  EXPECT_EQ(MQDoc_InsertObject(document.handle(), tail, nullptr), 3) << "no reference: append";
}

TEST_F(SimHostDocument, UnusedNameNeverOverrunsTheBuffer) {
  document.addObject("#elem:smile-Body");
  char buffer[250];
  MQDoc_GetUnusedObjectName(document.handle(), buffer, 250, "#elem:smile-Body");
  EXPECT_STREQ(buffer, "#elem:smile-Body2");
  MQDoc_GetUnusedObjectName(document.handle(), buffer, 250, "Free");
  EXPECT_STREQ(buffer, "Free");
  char small[6];
  std::memset(small, 'x', sizeof small);
  MQDoc_GetUnusedObjectName(document.handle(), small, 4, "#elem:smile-Body");
  EXPECT_STREQ(small, "#el");
  EXPECT_EQ(small[4], 'x') << "nothing written past the given size";
  const std::string longName(400, 'n');
  MQDoc_GetUnusedObjectName(document.handle(), buffer, 250, longName.c_str());
  EXPECT_EQ(std::strlen(buffer), 249u);
}

TEST_F(SimHostDocument, SelectionFollowsTheObjectNotTheSlot) {
  sim::Object* head = document.addObject("Head");
  head->addVertex(0, 0, 0);
  head->addVertex(1, 0, 0);
  sim::Object* body = document.addObject("Body");
  body->addVertex(0, 0, 0);
  body->addVertex(1, 0, 0);
  body->addFace({0, 1});
  body->selectedVertices.insert(1);
  body->selectedFaces.insert(0);
  EXPECT_EQ(MQDoc_IsSelectVertex(document.handle(), 1, 1), 1);
  EXPECT_EQ(MQDoc_IsSelectVertex(document.handle(), 1, 0), 0);
  // A clone inserted after Head moves Body to slot 2; its selection moves with it.
  MQObject clone = MQObj_Clone(head->handle());
  ASSERT_EQ(MQDoc_InsertObject(document.handle(), clone, head->handle()), 1);
  EXPECT_EQ(MQDoc_IsSelectVertex(document.handle(), 2, 1), 1);
  EXPECT_EQ(MQDoc_IsSelectFace(document.handle(), 2, 0), 1);
  EXPECT_EQ(MQDoc_IsSelectVertex(document.handle(), 1, 1), 0) << "the clone has no selection";
  EXPECT_TRUE(takeMisuses().empty());
  EXPECT_EQ(MQDoc_IsSelectVertex(document.handle(), 5, 0), 0);
  EXPECT_EQ(takeMisuses().size(), 1u) << "slot out of range";
}

TEST_F(SimHostDocument, CloneKeepsContentAndIdsButNotSelection) {
  sim::Object* body = document.addObject("Body");
  body->addVertex(0, 0, 0);
  body->addVertex(1, 0, 0);
  body->addVertex(0, 1, 0);
  body->editWeights()[1] = 0.25f;
  body->addFace({0, 1, 2});
  body->editMaterials()[size_t(0)] = 3;
  body->editFaceCreases(int(0))[1] = 0.5f;
  body->depth = 2;
  body->locked = 1;
  body->selected = 1;
  body->visible = 0;
  body->selectedVertices.insert(0);
  body->selectedFaces.insert(0);
  sim::Object* clone = host.objectFromHandle(MQObj_Clone(body->handle()));
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->name(), "Body");
  EXPECT_EQ(clone->vertexIds[1], body->vertexIds[1]);
  EXPECT_EQ(clone->faceIds[size_t(0)], body->faceIds[size_t(0)]);
  EXPECT_EQ(clone->weights[1], 0.25f);
  EXPECT_EQ(clone->materials[size_t(0)], 3);
  EXPECT_EQ(clone->faceCreases(int(0))[1], 0.5f);
  EXPECT_EQ(clone->depth, 2);
  EXPECT_EQ(clone->locked, 1);
  EXPECT_EQ(clone->visible, 0u);
  EXPECT_EQ(clone->selected, 0);
  EXPECT_TRUE(clone->selectedVertices.empty());
  EXPECT_TRUE(clone->selectedFaces.empty());
  EXPECT_EQ(clone->document(), nullptr);
  // New vertices of the clone never reuse an ID, not even one the original used.
  const int added = clone->addVertex(2, 2, 2);
  EXPECT_GT(clone->vertexIds[static_cast<size_t>(added)], body->vertexIds[2]);
  MQObj_Delete(clone->handle());
  EXPECT_TRUE(host.detachedObjects().empty());
  MQObj_Delete(body->handle());
  EXPECT_EQ(takeMisuses().size(), 1u) << "an object in a document is deleted through it";
}

TEST_F(SimHostDocument, DescribeSeesEveryChange) {
  sim::Object* body = document.addObject("Body");
  body->addVertex(0, 0, 0);
  const std::string before = sim::describe(document);
  body->editPositions()[0].x = -0.0f;
  EXPECT_NE(sim::describe(document), before) << "negative zero differs in its bits";
}

} // namespace
