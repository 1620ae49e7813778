// Objects that share their arrays until written: a clone made by MQObj_Clone holds its
// original's arrays; a host function that writes copies the one array it touches, once, and
// leaves the original as it was; handle checks, strict mode and the hostile modes answer a clone
// exactly as they answer the object it was cloned from.
#include "HostFunctions.h"
#include "SimHost.h"
#include "SimHostile.h"
#include "StrictHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Which of an object's arrays are one block with another object's, one letter each:
// p(ositions) i(vertex IDs) w(eights) f(ace IDs) m(aterials) s(face starts) c(orner points)
// u(vs) e (creases); "-" where the two differ.
std::string sharedWith(const sim::Object& a, const sim::Object& b) {
  std::string out;
  out += a.positions.sameBlock(b.positions) ? 'p' : '-';
  out += a.vertexIds.sameBlock(b.vertexIds) ? 'i' : '-';
  out += a.weights.sameBlock(b.weights) ? 'w' : '-';
  out += a.faceIds.sameBlock(b.faceIds) ? 'f' : '-';
  out += a.materials.sameBlock(b.materials) ? 'm' : '-';
  out += a.faceStart.sameBlock(b.faceStart) ? 's' : '-';
  out += a.points.sameBlock(b.points) ? 'c' : '-';
  out += a.uvs.sameBlock(b.uvs) ? 'u' : '-';
  out += a.creases.sameBlock(b.creases) ? 'e' : '-';
  return out;
}

class SharedArrays : public testing_support::StrictHost {
protected:
  void SetUp() override {
    StrictHost::SetUp();
    body = document.addObject("Body");
    for (int i = 0; i < 5; ++i)
      body->addVertex(float(i), float(i * i), 0);
    body->addFace({0, 1, 2, 3});
    body->addFace({1, 4, 2});
    body->setFaceUvs(0, {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}});
    body->setFaceCreases(1, {0, 1, 0});
    before = sim::describe(document);
  }

  // A clone of the Body placed in the document, as the plug-in makes its new elements.
  sim::Object* clone() {
    const MQObject made = MQObj_Clone(body->handle());
    MQObj_SetName(made, "elem:new-Body");
    MQDoc_InsertObject(document.handle(), made, body->handle());
    return host.objectFromHandle(made);
  }

  // The document text without its second slot (the clone's).
  std::string bodyText() const {
    const std::string text = sim::describe(document);
    return text.substr(0, text.find("slot 1"));
  }

  sim::Document& document = host.newDocument();
  sim::Object* body = nullptr;
  std::string before;
};

TEST_F(SharedArrays, AClonesArraysAreItsOriginals) {
  sim::Object* copy = clone();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(sharedWith(*copy, *body), "piwfmscue");
  EXPECT_EQ(body->positions.holders(), 2);
}

TEST_F(SharedArrays, EachWriteCopiesTheArrayItTouchesOnce) {
  sim::Object* copy = clone();
  MQPoint moved{9, 9, 9};
  MQObj_SetVertex(copy->handle(), 2, &moved);
  EXPECT_EQ(sharedWith(*copy, *body), "-iwfmscue");
  const MQPoint* ownPositions = copy->positions.data();
  MQPoint again{8, 8, 8};
  MQObj_SetVertex(copy->handle(), 3, &again);
  EXPECT_EQ(copy->positions.data(), ownPositions) << "the second write copies nothing";

  MQObj_SetVertexWeight(copy->handle(), 1, 0.5f);
  EXPECT_EQ(sharedWith(*copy, *body), "-i-fmscue");
  MQObj_SetFaceMaterial(copy->handle(), 1, 3);
  EXPECT_EQ(sharedWith(*copy, *body), "-i-f-scue");
  MQCoordinate uvs[3] = {{1, 1}, {1, 1}, {1, 1}};
  MQObj_SetFaceCoordinateArray(copy->handle(), 1, uvs);
  EXPECT_EQ(sharedWith(*copy, *body), "-i-f-sc-e");
  EXPECT_EQ(MQObj_SetFaceEdgeCrease(copy->handle(), 0, 2, 1.0f), 1);
  EXPECT_EQ(sharedWith(*copy, *body), "-i-f-sc--");

  // The original reads as it did, through the host and whole.
  EXPECT_EQ(bodyText(), before);
  MQPoint read{};
  MQObj_GetVertex(body->handle(), 2, &read);
  EXPECT_EQ(read.x, 2.0f);
  EXPECT_EQ(MQObj_GetFaceMaterial(body->handle(), 1), -1);
  // And the clone holds what was written.
  MQObj_GetVertex(copy->handle(), 2, &read);
  EXPECT_EQ(read.z, 9.0f);
  EXPECT_EQ(MQObj_GetFaceMaterial(copy->handle(), 1), 3);
  EXPECT_EQ(MQObj_GetFaceEdgeCrease(copy->handle(), 0, 2), 1.0f);
  EXPECT_EQ(MQObj_GetFaceEdgeCrease(body->handle(), 0, 2), 0.0f);
}

TEST_F(SharedArrays, AWriteOfTheValueHeldCopiesNothing) {
  sim::Object* copy = clone();
  MQPoint same = body->positions[4];
  MQObj_SetVertex(copy->handle(), 4, &same);
  MQObj_SetVertexWeight(copy->handle(), 4, 1.0f);
  MQObj_SetFaceMaterial(copy->handle(), 0, -1);
  MQCoordinate uvs[4] = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}};
  MQObj_SetFaceCoordinateArray(copy->handle(), 0, uvs);
  MQObj_SetFaceEdgeCrease(copy->handle(), 1, 1, 1.0f);
  EXPECT_EQ(sharedWith(*copy, *body), "piwfmscue");
  // -0 is another value than 0: it is written.
  MQObj_SetFaceEdgeCrease(copy->handle(), 1, 0, -0.0f);
  EXPECT_EQ(sharedWith(*copy, *body), "piwfmscu-");
}

TEST_F(SharedArrays, TablesFollowTheClonesOwnChanges) {
  sim::Object* copy = clone();
  EXPECT_EQ(MQObj_GetVertexRefCount(copy->handle(), 4), 1);
  copy->setFacePoints(1, {4, 4, 2});
  EXPECT_EQ(sharedWith(*copy, *body), "piwfm----")
      << "new points move the corners: face starts, points, UVs and creases are the clone's own";
  EXPECT_EQ(MQObj_GetVertexRefCount(copy->handle(), 4), 2);
  EXPECT_EQ(MQObj_GetVertexRefCount(body->handle(), 4), 1);
  int faces[2] = {};
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(copy->handle(), 1, faces), 1);
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(body->handle(), 1, faces), 2);
  copy->setVertexUniqueId(0, 77);
  EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(copy->handle(), 77), 0);
  EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(body->handle(), 77), -1);
  EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(body->handle(), 1), 0);
}

TEST_F(SharedArrays, ClonesShareTheTablesUntilOneChanges) {
  EXPECT_EQ(MQObj_GetVertexRefCount(body->handle(), 2), 2); // the Body's tables, built
  sim::Object* copy = clone();
  sim::Object* second = clone();
  EXPECT_EQ(MQObj_GetFaceIndexFromUniqueID(copy->handle(), 2), 1);
  body->setFacePoints(0, {0, 1, 3});
  EXPECT_EQ(MQObj_GetVertexRefCount(body->handle(), 2), 1);
  EXPECT_EQ(MQObj_GetVertexRefCount(copy->handle(), 2), 2) << "the clones keep what they had";
  EXPECT_EQ(MQObj_GetVertexRefCount(second->handle(), 2), 2);
  MQPoint moved{5, 5, 5};
  MQObj_SetVertex(second->handle(), 0, &moved);
  EXPECT_EQ(MQObj_GetVertexRefCount(second->handle(), 0), 1) << "positions leave the tables";
  copy->truncateVertices(3);
  EXPECT_EQ(MQObj_GetVertexRefCount(copy->handle(), 2), 2);
  int faces[2] = {};
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(copy->handle(), 1, faces), 2);
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(second->handle(), 4, faces), 1);
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(body->handle(), 2, faces), 1);
}

// The same calls, misuses and hostile answers on an object and on a clone of it.
std::vector<std::string> probe(sim::Host& host, MQObject object) {
  std::vector<std::string> answers;
  for (sim::Hostile mode : {sim::Hostile::None, sim::Hostile::CountGrowsBeforeFill,
                            sim::Hostile::HugeArrayCounts, sim::Hostile::ZeroCounts}) {
    sim::HostileScope scope(host, mode);
    const int points = MQObj_GetFacePointCount(object, 0);
    int filled[8] = {-7, -7, -7, -7, -7, -7, -7, -7};
    MQObj_GetFacePointArray(object, 0, filled);
    MQCoordinate uvs[8] = {};
    MQObj_SetFaceCoordinateArray(object, 0, uvs);
    MQPoint p{1, 2, 3};
    MQObj_SetVertex(object, 7, &p); // no such vertex
    MQObj_SetFaceMaterial(object, -1, 2);
    std::string line = std::string(sim::hostileName(mode)) + " " + std::to_string(points) + ":";
    for (int v : filled)
      line += " " + std::to_string(v);
    answers.push_back(line);
  }
  for (const std::string& misuse : host.misuses())
    answers.push_back(misuse);
  host.clearMisuses();
  return answers;
}

TEST_F(SharedArrays, StrictAndHostileModesAnswerAClonesAsTheOriginal) {
  sim::Object* copy = clone();
  sim::Host other;
  sim::Document& twin = other.newDocument();
  sim::Object* plain = twin.addObject("Body");
  plain->copyGeometry(*body);
  // The twin's arrays are the Body's: a fresh copy in another host answers as the clone does.
  other.setStrict(true);
  const std::vector<std::string> fromPlain = probe(other, plain->handle());
  host.makeCurrent();
  const std::vector<std::string> fromClone = probe(host, copy->handle());
  EXPECT_EQ(fromClone, fromPlain);
  EXPECT_GT(fromClone.size(), 4u) << "the probe provokes misuses";
  EXPECT_EQ(bodyText(), before) << "nothing the clone was asked changed the original";
}

TEST_F(SharedArrays, EqualArraysAreHeldOnce) {
  sim::Object* read = document.addObject("elem:read-Body");
  for (int i = 0; i < 5; ++i)
    read->addVertex(float(i), float(i * i), i == 3 ? 1.0f : 0.0f);
  read->addFace({0, 1, 2, 3});
  read->addFace({1, 4, 2});
  read->setFaceUvs(0, {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}});
  read->setFaceCreases(1, {0, 1, 0});
  EXPECT_EQ(sharedWith(*read, *body), "---------");
  const std::string text = sim::describe(document);
  read->shareEqualArrays(*body);
  EXPECT_EQ(sharedWith(*read, *body), "-iwfmscue") << "the moved positions stay its own";
  EXPECT_EQ(sim::describe(document), text);
  read->editUvs()[0].u = 0.0f;
  EXPECT_EQ(sharedWith(*read, *body), "-iwfmsc-e");
  EXPECT_EQ(body->uvs[0].u, 0.1f);
}

} // namespace
