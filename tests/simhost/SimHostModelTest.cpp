// The simulated host's object arrays: faces as runs of corners that stay consistent when a face
// is rewritten or faces are cut, whole-geometry copies, faces far larger than usual, and the
// per-function call counters.
#include "HostFunctions.h"
#include "SimHost.h"

#include <gtest/gtest.h>

namespace {

sim::Object strip(int faces) {
  sim::Object object("Strip");
  for (int i = 0; i < faces + 2; ++i)
    object.addVertex(static_cast<float>(i), static_cast<float>(i % 2), 0);
  for (int f = 0; f < faces; ++f) {
    const int face = object.addFace({f, f + 1, f + 2});
    object.setFaceUvs(face, {{float(f), 0}, {float(f), 1}, {float(f), 2}});
    object.setFaceCreases(face, {float(f), 0.5f, 0.25f});
    object.editMaterials()[size_t(face)] = f;
  }
  return object;
}

TEST(SimHostModel, RewritingAFaceMovesTheLaterFacesCornersWithTheirAttributes) {
  sim::Object object = strip(3);
  object.setFacePoints(0, {0, 1, 2, 3, 4});
  ASSERT_EQ(object.faceCount(), 3);
  EXPECT_EQ(object.facePointList(0), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(object.faceUvList(0)[4].v, 0.0f) << "a rewritten face starts from zero UVs";
  EXPECT_EQ(object.facePointList(2), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(object.faceUvList(2)[2].v, 2.0f);
  EXPECT_EQ(object.faceCreaseList(1), (std::vector<float>{1, 0.5f, 0.25f}));
  EXPECT_EQ(object.points.size(), object.faceStart.back());
  EXPECT_EQ(object.refCount(4), 2) << "reference counts follow the rewrite";
}

TEST(SimHostModel, CuttingFacesAndVerticesKeepsTheRestIntact) {
  sim::Object object = strip(4);
  object.truncateFaces(2);
  object.truncateVertices(4);
  EXPECT_EQ(object.faceCount(), 2);
  EXPECT_EQ(object.vertexCount(), 4);
  EXPECT_EQ(object.uvs.size(), 6u);
  EXPECT_EQ(object.materials, (std::vector<int>{0, 1}));
  EXPECT_EQ(object.relatedFaces(3), (std::vector<int>{1}));
  EXPECT_EQ(object.faceIndexFromUniqueId(3), -1) << "a cut face's ID is gone";
}

TEST(SimHostModel, CopiedGeometryIsIndependentAndKeepsTheIdCounters) {
  sim::Object from = strip(2);
  sim::Object to("Copy");
  to.copyGeometry(from);
  from.editPositions()[0].x = 9.0f;
  EXPECT_EQ(to.positions[0].x, 0.0f);
  EXPECT_EQ(to.name(), "Copy");
  EXPECT_EQ(to.relatedFaces(2), (std::vector<int>{0, 1}));
  EXPECT_EQ(to.addVertex(0, 0, 0), 4);
  EXPECT_EQ(to.vertexIds.back(), 5u) << "new vertices continue after the copied IDs";
}

TEST(SimHostModel, AFaceOfManyDistinctPointsCostsItsCorners) {
  // One face through 200,000 distinct vertices: every vertex is in that one face once. A search
  // of the face per corner would take minutes here.
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* object = document.addObject("Fan");
  std::vector<int> points;
  for (int i = 0; i < 200000; ++i)
    points.push_back(object->addVertex(static_cast<float>(i), 0, 0));
  points.push_back(0); // and one point twice: still one related face
  object->addFace(points);
  EXPECT_EQ(MQObj_GetVertexRefCount(object->handle(), 0), 2);
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(object->handle(), 0, nullptr), 1);
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(object->handle(), 199999, nullptr), 1);
}

TEST(SimHostModel, CountsEveryCallByFunction) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* object = document.addObject("Counted");
  object->addVertex(1, 2, 3);
  host.resetCallCounts();
  MQPoint p{};
  MQObj_GetVertex(object->handle(), 0, &p);
  MQObj_GetVertex(object->handle(), 0, &p);
  MQObj_GetVertexCount(object->handle());
  const auto counts = host.callCounts();
  EXPECT_EQ(counts.at("MQObj_GetVertex"), 2u);
  EXPECT_EQ(counts.at("MQObj_GetVertexCount"), 1u);
  EXPECT_EQ(counts.count("MQObj_SetVertex"), 0u) << "functions never called are left out";
  host.resetCallCounts();
  EXPECT_TRUE(host.callCounts().empty());
}

} // namespace
