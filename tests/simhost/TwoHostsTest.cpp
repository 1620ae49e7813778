// Two simulated hosts in one process, called through the exported functions as a plug-in calls
// them: each keeps its own documents, modes, widgets, records and counts; the functions act on
// the current host; a host dropped while the other lives leaves the other whole.
#include "HostFunctions.h"
#include "SimHost.h"
#include "SimHostile.h"
#include "SimWidgets.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

sim::Object* triangle(sim::Document& document, const char* name) {
  sim::Object* object = document.addObject(name);
  object->addVertex(0, 0, 0);
  object->addVertex(1, 0, 0);
  object->addVertex(0, 1, 0);
  object->addFace({0, 1, 2});
  return object;
}

int createWidget(const char* type) {
  int id = 0;
  void* pairs[] = {const_cast<char*>("type"), const_cast<char*>(type), const_cast<char*>("id"), &id,
                   nullptr};
  MQWidget_Value(0, MQWIDGET_MSG_CREATE, pairs);
  return id;
}

TEST(TwoHosts, TheLatestMadeIsCurrentAndEachKnowsOnlyItsOwnHandles) {
  sim::Host first;
  sim::Document& a = first.newDocument();
  sim::Object* inA = triangle(a, "A");
  sim::Host second;
  sim::Document& b = second.newDocument();
  sim::Object* inB = triangle(b, "B");
  inB->addVertex(2, 2, 2);

  EXPECT_TRUE(second.isCurrent());
  EXPECT_FALSE(first.isCurrent());
  EXPECT_EQ(first.documentFromHandle(a.handle()), &a);
  EXPECT_EQ(first.documentFromHandle(b.handle()), nullptr);
  EXPECT_EQ(second.objectFromHandle(inA->handle()), nullptr);
  EXPECT_EQ(second.objectFromHandle(inB->handle()), inB);

  // The functions act on the current host: the other host's handles are unknown there.
  second.setStrict(true);
  EXPECT_EQ(MQObj_GetVertexCount(inB->handle()), 4);
  EXPECT_EQ(MQObj_GetVertexCount(inA->handle()), 0);
  EXPECT_EQ(MQDoc_GetObjectCount(a.handle()), 0);
  ASSERT_EQ(second.misuses().size(), 2u);
  EXPECT_EQ(second.misuses()[0], "MQObj_GetVertexCount: unknown or deleted object");
  first.makeCurrent();
  EXPECT_EQ(MQObj_GetVertexCount(inA->handle()), 3);
  EXPECT_EQ(MQDoc_GetObjectCount(a.handle()), 1);
  EXPECT_EQ(second.misuses().size(), 2u) << "the first host's calls are not the second's";
  EXPECT_TRUE(first.misuses().empty()) << "strict mode is the second host's only";
}

TEST(TwoHosts, ModesCountsAndClonesAreEachHostsOwn) {
  sim::Host first;
  sim::Document& a = first.newDocument();
  sim::Object* inA = triangle(a, "A");
  sim::Host second;
  sim::Document& b = second.newDocument();
  sim::Object* inB = triangle(b, "B");

  second.setHostile(sim::Hostile::HugeCounts);
  EXPECT_EQ(first.hostile(), sim::Hostile::None);
  EXPECT_EQ(MQObj_GetVertexCount(inB->handle()), second.hugeCount());
  first.makeCurrent();
  EXPECT_EQ(MQObj_GetVertexCount(inA->handle()), 3) << "the first host is no hostile one";
  const MQObject clone = MQObj_Clone(inA->handle());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(first.detachedObjects().size(), 1u);
  EXPECT_TRUE(second.detachedObjects().empty());
  EXPECT_EQ(second.objectFromHandle(clone), nullptr);

  const auto firstCounts = first.callCounts();
  const auto secondCounts = second.callCounts();
  EXPECT_EQ(firstCounts.at("MQObj_GetVertexCount"), 1u);
  EXPECT_EQ(firstCounts.at("MQObj_Clone"), 1u);
  EXPECT_EQ(secondCounts.at("MQObj_GetVertexCount"), 1u);
  EXPECT_EQ(secondCounts.count("MQObj_Clone"), 0u);
  first.resetCallCounts();
  EXPECT_TRUE(first.callCounts().empty());
  EXPECT_EQ(second.callCounts(), secondCounts);
}

TEST(TwoHosts, WidgetsAndScriptsAreEachHostsOwn) {
  sim::Host first;
  const int inFirst = createWidget("dialog");
  sim::Host second;
  const int inSecond = createWidget("button");
  // Ids count per host: each began at the same first id.
  EXPECT_EQ(inFirst, inSecond);
  EXPECT_EQ(first.findWidget(inFirst)->type, "dialog");
  EXPECT_EQ(second.findWidget(inSecond)->type, "button");
  EXPECT_EQ(first.widgetMessages().size(), 1u);
  EXPECT_EQ(second.widgetMessages().size(), 1u);

  first.queueModalScript(sim::UserScript().closeWindow());
  EXPECT_EQ(first.queuedModalScripts(), 1);
  EXPECT_EQ(second.queuedModalScripts(), 0);
  // A modal run of the second host has no script: its failure is the second's record only.
  int result = -1;
  void* run[] = {const_cast<char*>("type"), const_cast<char*>("modal"), const_cast<char*>("result"),
                 &result, nullptr};
  const int dialog = createWidget("dialog");
  MQWidget_Value(dialog, MQWIDGET_MSG_RUN, run);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(second.scriptFailures().size(), 1u);
  EXPECT_TRUE(first.scriptFailures().empty());
  first.makeCurrent();
  MQWidget_Value(inFirst, MQWIDGET_MSG_RUN, run);
  EXPECT_EQ(result, sim::kClosedResult) << "the first host played its own script";
  EXPECT_EQ(first.modalRuns().size(), 1u);
  EXPECT_EQ(second.modalRuns().size(), 1u);
}

TEST(TwoHosts, OneDroppedWhileTheOtherLives) {
  sim::Host first;
  sim::Document& a = first.newDocument();
  sim::Object* inA = triangle(a, "A");
  auto second = std::make_unique<sim::Host>();
  sim::Document& b = second->newDocument();
  const MQDocument bHandle = b.handle();
  triangle(b, "B");
  EXPECT_EQ(MQDoc_GetObjectCount(bHandle), 1);
  second.reset();
  // The current host went: the one still alive is current again, whole.
  EXPECT_TRUE(first.isCurrent());
  EXPECT_EQ(MQDoc_GetObjectCount(a.handle()), 1);
  EXPECT_EQ(MQDoc_GetObjectCount(bHandle), 0) << "a dropped host's document is gone";
  EXPECT_EQ(MQObj_GetVertexCount(inA->handle()), 3);
  EXPECT_EQ(a.findObject("A"), inA);

  // And the other way round: the older host goes, the newer one stays current.
  auto third = std::make_unique<sim::Host>();
  sim::Document& c = third->newDocument();
  triangle(c, "C");
  {
    sim::Host older;
    third->makeCurrent();
  }
  EXPECT_TRUE(third->isCurrent());
  EXPECT_EQ(MQDoc_GetObjectCount(c.handle()), 1);
}

TEST(TwoHosts, WithNoHostAliveTheFunctionsKnowNoHandle) {
  MQDocument stale = nullptr;
  {
    sim::Host host;
    stale = host.newDocument().handle();
  }
  EXPECT_EQ(MQDoc_GetObjectCount(stale), 0);
  EXPECT_EQ(MQDoc_GetObject(stale, 0), nullptr);
}

TEST(TwoHosts, ADocumentClosedWithItsObjectsLeavesTheOthers) {
  sim::Host host;
  sim::Document& kept = host.newDocument();
  sim::Document& closed = host.newDocument();
  sim::Object* keptObject = triangle(kept, "Kept");
  sim::Object* closedObject = triangle(closed, "Closed");
  const MQObject closedHandle = closedObject->handle();
  const MQDocument closedDocument = closed.handle();
  host.closeDocument(closed);
  EXPECT_EQ(host.documentFromHandle(closedDocument), nullptr);
  EXPECT_EQ(host.objectFromHandle(closedHandle), nullptr);
  EXPECT_EQ(host.objectFromHandle(keptObject->handle()), keptObject);
  EXPECT_EQ(MQObj_GetVertexCount(keptObject->handle()), 3);
}

} // namespace
