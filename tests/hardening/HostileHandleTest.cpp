// The object handle's size-then-fill queries against a hostile host: whatever the counts, the
// handle reads only what the host filled, never past what it answered (strict mode), and
// writes back no fewer coordinates than the face has.
#include "SimHost.h"
#include "SimHostile.h"
#include "host/HostTable.h"
#include "objects/CMQObject.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

class HostileHandle : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
    host.makeCurrent();
    host.setStrict(true);
    body = document.addObject("Body");
    for (int i = 0; i < 5; ++i)
      body->addVertex(float(i), 0, 0);
    body->addFace({0, 1, 2, 3}); // face 0
    body->addFace({1, 4, 2});    // face 1
    body->setFaceUvs(int(0), {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}});
    document.addEmptySlot();
    document.addObject("Arm");
    handle = cmq::objectAt(document.handle(), 0);
  }
  void TearDown() override {
    host.setHostile(sim::Hostile::None);
    EXPECT_TRUE(host.misuses().empty()) << host.misuses().front();
  }
  sim::Host host; // each test's own
  sim::Document& document = host.newDocument();
  sim::Object* body = nullptr;
  cmq::CMQObject handle;
};

using Ints = std::vector<int>;

TEST_F(HostileHandle, CountsOfZeroOrLessGiveEmptyAnswersWithoutAFill) {
  for (sim::Hostile mode : {sim::Hostile::NegativeCounts, sim::Hostile::ZeroCounts}) {
    sim::HostileScope scope(host, mode);
    EXPECT_TRUE(handle.relatedFaces(1).empty()) << sim::hostileName(mode);
    EXPECT_TRUE(handle.facePoints(0).empty());
    EXPECT_TRUE(handle.readCornerUvs(0).empty());
    handle.writeCornerUvs(0, {{0, 9, 9}});
    EXPECT_FALSE(cmq::findObjectByName(document.handle(), "Arm").isValid());
  }
  EXPECT_FLOAT_EQ(body->faceUvs(int(0))[0].u, 0.1f) << "nothing written for a face of no points";
}

TEST_F(HostileHandle, HugeArrayCountsYieldOnlyTheFilledEntries) {
  sim::HostileScope scope(host, sim::Hostile::HugeArrayCounts);
  EXPECT_EQ(handle.relatedFaces(1), (Ints{0, 1}));
  EXPECT_EQ(handle.facePoints(0), (Ints{0, 1, 2, 3}));
  const std::vector<cmq::CornerUv> corners = handle.readCornerUvs(0);
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_EQ(corners[3].vertex, 3);
  EXPECT_FLOAT_EQ(corners[3].u, 0.7f);
  EXPECT_FLOAT_EQ(corners[3].v, 0.8f);
  handle.writeCornerUvs(1, {{1, 1.5f, 2.5f}, {4, 3.5f, 4.5f}, {2, 5.5f, 6.5f}});
  EXPECT_FLOAT_EQ(body->faceUvs(int(1))[2].v, 6.5f);
}

TEST_F(HostileHandle, ShrinkingElementsYieldWhatTheFillDelivered) {
  sim::HostileScope scope(host, sim::Hostile::CountShrinksBeforeFill);
  EXPECT_EQ(handle.relatedFaces(2), (Ints{0, 1}));
  EXPECT_EQ(handle.relatedFaces(0), (Ints{0}));
  EXPECT_EQ(handle.facePoints(1), (Ints{1, 4, 2}));
  EXPECT_EQ(handle.readCornerUvs(0).size(), 4u);
}

TEST_F(HostileHandle, GrowingElementsYieldNoMoreThanTheSizingAnswer) {
  sim::HostileScope scope(host, sim::Hostile::CountGrowsBeforeFill);
  EXPECT_EQ(handle.relatedFaces(2), (Ints{0})) << "the fill answers 2 for a buffer of 1";
  EXPECT_TRUE(handle.relatedFaces(0).empty());
  EXPECT_EQ(handle.facePoints(0), (Ints{0, 1, 2}));
  const std::vector<cmq::CornerUv> corners = handle.readCornerUvs(0);
  ASSERT_EQ(corners.size(), 3u);
  EXPECT_FLOAT_EQ(corners[2].u, 0.5f);
  // Four records for a face announced with three points: the host reads three.
  handle.writeCornerUvs(0, {{0, 1, 1}, {1, 2, 2}, {2, 3, 3}, {3, 4, 4}});
  EXPECT_FLOAT_EQ(body->faceUvs(int(0))[2].u, 3.0f);
  EXPECT_FLOAT_EQ(body->faceUvs(int(0))[3].u, 0.7f);
}

TEST_F(HostileHandle, UvWriteHoldsEveryPointOfTheFaceEvenWithFewerRecords) {
  // Two records for a face of four points: the host reads four coordinates, the last two keep
  // their values.
  handle.writeCornerUvs(0, {{0, 9, 8}, {1, 7, 6}});
  EXPECT_FLOAT_EQ(body->faceUvs(int(0))[0].u, 9.0f);
  EXPECT_FLOAT_EQ(body->faceUvs(int(0))[1].v, 6.0f);
  EXPECT_FLOAT_EQ(body->faceUvs(int(0))[2].u, 0.5f);
  EXPECT_FLOAT_EQ(body->faceUvs(int(0))[3].v, 0.8f);
}

TEST_F(HostileHandle, HugeObjectCountIsWalkedToItsEndWithEmptySlots) {
  sim::HostileScope scope(host, sim::Hostile::HugeCounts);
  EXPECT_TRUE(cmq::findObjectByName(document.handle(), "Arm").isValid());
  EXPECT_FALSE(cmq::findObjectByName(document.handle(), "Leg").isValid());
  EXPECT_EQ(cmq::objectAt(document.handle(), 1000).object, nullptr);
}

TEST_F(HostileHandle, NullObjectsAreNeverValid) {
  sim::HostileScope scope(host, sim::Hostile::NullObjects);
  EXPECT_FALSE(cmq::objectAt(document.handle(), 0).isValid());
  EXPECT_FALSE(cmq::findObjectByName(document.handle(), "Body").isValid());
  const cmq::CMQObject clone = handle.clone();
  EXPECT_EQ(clone.object, nullptr);
  EXPECT_FALSE(clone.isValid());
}

TEST_F(HostileHandle, UnterminatedNamesStopAtTheBuffer) {
  sim::HostileScope scope(host, sim::Hostile::UnterminatedNames);
  const std::string name = handle.name();
  ASSERT_EQ(name.size(), size_t(cmq::kNameBufferSize));
  EXPECT_EQ(name.substr(0, 8), "BodyBody");
  EXPECT_EQ(cmq::unusedObjectName(document.handle(), "Arm").size(), size_t(cmq::kNameBufferSize));
  EXPECT_FALSE(cmq::findObjectByName(document.handle(), "Body").isValid());
}

TEST_F(HostileHandle, DegenerateFacesAreAnsweredAsTheyAre) {
  sim::addDegenerateFaces(*body);
  EXPECT_EQ(handle.facePoints(2), (Ints{0, 0, 0}));
  EXPECT_EQ(handle.facePoints(3), (Ints{4}));
  EXPECT_EQ(handle.facePoints(4), (Ints{0, 1, 0, 2}));
  EXPECT_EQ(handle.facePoints(5), (Ints{-2, 5, INT_MAX}));
  EXPECT_EQ(handle.relatedFaces(0), (Ints{0, 2, 4})) << "a face counts once per vertex";
  EXPECT_EQ(body->refCount(0), 1 + 3 + 2);
}

// The host's side of the bargain: a reader that goes past an answer is caught.
TEST(HostileStrict, GoingPastAnAnswerIsRecorded) {
  ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* body = document.addObject("Body");
  body->addVertex(1, 2, 3);
  body->addFace({0, 0, 0});
  host.clearMisuses();
  host.setStrict(true);
  {
    sim::HostileScope scope(host, sim::Hostile::ZeroCounts);
    EXPECT_EQ(MQObj_GetVertexCount(body->handle()), 0);
    MQPoint p{7, 7, 7};
    MQObj_GetVertex(body->handle(), 0, &p);
    EXPECT_EQ(p.x, 0.0f) << "nothing past the answer is read out";
    EXPECT_EQ(MQObj_GetFacePointCount(body->handle(), 0), 0);
    int points[3] = {-1, -1, -1};
    MQObj_GetFacePointArray(body->handle(), 0, points);
    EXPECT_EQ(points[0], -1);
  }
  {
    sim::HostileScope scope(host, sim::Hostile::HugeCounts);
    EXPECT_EQ(MQObj_GetVertexCount(body->handle()), host.hugeCount());
    MQPoint p{7, 7, 7};
    MQObj_GetVertex(body->handle(), 500, &p); // inside the answer: an unused vertex, no misuse
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(MQObj_GetVertexRefCount(body->handle(), 500), 0);
    MQObj_GetVertex(body->handle(), host.hugeCount(), &p);
  }
  const std::vector<std::string> lines = host.misuses();
  host.setStrict(false);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "MQObj_GetVertex: vertex 0 past the host's answer 0");
  EXPECT_EQ(lines[1], "MQObj_GetFacePointArray: point fill past the host's answer 0");
  EXPECT_EQ(lines[2], "MQObj_GetVertex: vertex 65536 past the host's answer 65536");
}

} // namespace
