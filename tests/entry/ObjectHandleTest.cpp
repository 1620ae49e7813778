// The object handle and the document helpers, on documents of the simulated host.
#include "SimHost.h"
#include "StrictHost.h"
#include "host/HostTable.h"
#include "objects/CMQObject.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ObjectHandle : public testing_support::StrictHost {
protected:
  void SetUp() override {
    StrictHost::SetUp();
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
  }
  sim::Document& document = host.newDocument();
};

TEST_F(ObjectHandle, ValidityFollowsTheDocument) {
  sim::Object* body = document.addObject("Body");
  document.addEmptySlot();
  cmq::CMQObject handle = cmq::objectAt(document.handle(), 0);
  EXPECT_TRUE(handle.isValid());
  EXPECT_FALSE(cmq::objectAt(document.handle(), 1).isValid()) << "empty slot";
  EXPECT_EQ(cmq::objectAt(document.handle(), 1).object, nullptr);
  EXPECT_FALSE(cmq::CMQObject().isValid());
  EXPECT_EQ(handle.object, body->handle());
  document.deleteObject(0);
  EXPECT_FALSE(handle.isValid()) << "removed from the document";
}

TEST_F(ObjectHandle, CopiesAreIndependentAndNeverFreeTheObject) {
  document.addObject("Body");
  cmq::CMQObject handle = cmq::objectAt(document.handle(), 0);
  {
    cmq::CMQObject copy = handle;
    EXPECT_TRUE(copy.sameObject(handle));
  }
  EXPECT_TRUE(handle.isValid());
  EXPECT_EQ(handle.name(), "Body");
}

TEST_F(ObjectHandle, CloneIsOutsideTheDocumentWithTheSameContent) {
  sim::Object* body = document.addObject("Body");
  body->addVertex(1, 2, 3);
  cmq::CMQObject clone = cmq::objectAt(document.handle(), 0).clone();
  EXPECT_FALSE(clone.isValid());
  EXPECT_EQ(clone.document, document.handle());
  EXPECT_EQ(clone.name(), "Body");
  EXPECT_NE(clone.object, body->handle());
}

TEST_F(ObjectHandle, FindByNameIsExactAndTakesTheLowerSlot) {
  document.addObject("Body2");
  sim::Object* first = document.addObject("Body");
  document.addObject("Body");
  document.addObject("body");
  EXPECT_EQ(cmq::findObjectByName(document.handle(), "Body").object, first->handle());
  EXPECT_EQ(cmq::findObjectByName(document.handle(), "Bod").object, nullptr);
  EXPECT_EQ(cmq::findObjectByName(document.handle(), "BODY").object, nullptr);
  document.deleteObject(1);
  EXPECT_EQ(cmq::findObjectByName(document.handle(), "Body").object,
            document.objectAt(2)->handle());
  sim::Document& empty = host.newDocument();
  EXPECT_EQ(cmq::findObjectByName(empty.handle(), "Body").object, nullptr);
}

TEST_F(ObjectHandle, UnusedObjectNameAppendsTheSmallestFreeNumber) {
  document.addObject("#Body");
  document.addObject("#Body2");
  EXPECT_EQ(cmq::unusedObjectName(document.handle(), "Head"), "Head");
  EXPECT_EQ(cmq::unusedObjectName(document.handle(), "#Body"), "#Body3");
}

TEST_F(ObjectHandle, FaceQueries) {
  sim::Object* quad = document.addObject("Quad");
  for (int i = 0; i < 5; ++i)
    quad->addVertex(static_cast<float>(i), 0, 0);
  quad->addFace({0, 1, 2, 3});
  quad->addFace({});
  quad->addFace({2, 4});
  quad->setFaceUvs(int(0), {{0.f, 0.f}, {1.f, 0.f}, {1.f, 1.f}, {0.f, 1.f}});
  cmq::CMQObject handle = cmq::objectAt(document.handle(), 0);

  EXPECT_EQ(handle.facePoints(0), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(handle.facePoints(1).empty());
  EXPECT_EQ(handle.relatedFaces(2), (std::vector<int>{0, 2}));
  EXPECT_EQ(handle.relatedFaces(4), (std::vector<int>{2}));

  std::vector<cmq::CornerUv> corners = handle.readCornerUvs(0);
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_EQ(corners[2].vertex, 2);
  EXPECT_EQ(corners[2].u, 1.f);
  EXPECT_EQ(corners[3].v, 1.f);
  EXPECT_TRUE(handle.readCornerUvs(1).empty());

  std::reverse(corners.begin(), corners.end());
  handle.writeCornerUvs(0, corners);
  EXPECT_EQ(quad->faceUvs(int(0))[0].u, 0.f);
  EXPECT_EQ(quad->faceUvs(int(0))[0].v, 1.f);
  EXPECT_EQ(quad->facePointList(0), (std::vector<int>{0, 1, 2, 3})) << "vertices are not written";
}

} // namespace
