// Object functions of the simulated host: counts, reference counts, related faces, unique IDs,
// face attributes, and strict mode catching indices outside what the host has.
#include "HostFunctions.h"
#include "SimHost.h"
#include "StrictHost.h"

#include <gtest/gtest.h>

namespace {

class SimHostObject : public testing_support::StrictHost {
protected:
  void SetUp() override {
    StrictHost::SetUp();
    quad = document.addObject("Quad");
    for (int i = 0; i < 6; ++i)
      quad->addVertex(static_cast<float>(i), 0, 0);
    quad->addFace({0, 1, 2, 3});
    quad->addFace({2, 3, 4});
    quad->addFace({4, 4, 2}); // duplicate point: two corners, one related face
    quad->addFace({});
  }
  size_t misuseCount() { return takeMisuses().size(); }
  sim::Document& document = host.newDocument();
  sim::Object* quad = nullptr;
};

TEST_F(SimHostObject, ReferenceCountsCountCorners) {
  const MQObject q = quad->handle();
  EXPECT_EQ(MQObj_GetVertexRefCount(q, 0), 1);
  EXPECT_EQ(MQObj_GetVertexRefCount(q, 2), 3);
  EXPECT_EQ(MQObj_GetVertexRefCount(q, 4), 3);
  EXPECT_EQ(MQObj_GetVertexRefCount(q, 5), 0) << "unused vertex";
}

TEST_F(SimHostObject, RelatedFacesListEachFaceOnceAscending) {
  const MQObject q = quad->handle();
  ASSERT_EQ(MQObj_GetVertexRelatedFaces(q, 4, nullptr), 2);
  int faces[2] = {-9, -9};
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(q, 4, faces), 2);
  EXPECT_EQ(faces[0], 1);
  EXPECT_EQ(faces[1], 2);
  EXPECT_EQ(MQObj_GetVertexRelatedFaces(q, 5, nullptr), 0);
}

TEST_F(SimHostObject, UniqueIdsRoundTripAndAbsentIdsAnswerMinusOne) {
  const MQObject q = quad->handle();
  const MQDWORD id = MQObj_GetVertexUniqueID(q, 3);
  EXPECT_GT(id, 0u);
  EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(q, id), 3);
  EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(q, 9999), -1);
  EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(q, 0), -1);
  const MQDWORD faceId = MQObj_GetFaceUniqueID(q, 1);
  EXPECT_EQ(MQObj_GetFaceIndexFromUniqueID(q, faceId), 1);
  EXPECT_EQ(MQObj_GetFaceIndexFromUniqueID(q, faceId + 100), -1);
  EXPECT_EQ(misuseCount(), 0u);
}

TEST_F(SimHostObject, FaceAttributesAreKeptPerFace) {
  const MQObject q = quad->handle();
  EXPECT_EQ(MQObj_GetFacePointCount(q, 3), 0) << "an empty face slot";
  MQObj_SetFaceMaterial(q, 1, 4);
  EXPECT_EQ(MQObj_GetFaceMaterial(q, 1), 4);
  EXPECT_EQ(MQObj_SetFaceEdgeCrease(q, 0, 3, 0.75f), 1);
  EXPECT_EQ(MQObj_GetFaceEdgeCrease(q, 0, 3), 0.75f);
  MQCoordinate uvs[4] = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}};
  MQObj_SetFaceCoordinateArray(q, 0, uvs);
  MQCoordinate back[4] = {};
  MQObj_GetFaceCoordinateArray(q, 0, back);
  EXPECT_EQ(back[3].u, 0.7f);
  EXPECT_EQ(back[0].v, 0.2f);
  EXPECT_EQ(misuseCount(), 0u);
}

TEST_F(SimHostObject, StrictModeRecordsWhatAPluginMustNeverDo) {
  const MQObject q = quad->handle();
  MQPoint p{1, 1, 1};
  MQObj_GetVertex(q, 6, &p);
  EXPECT_EQ(p.x, 0.f) << "a read outside the object answers zeros";
  EXPECT_EQ(misuseCount(), 1u);
  MQObj_SetVertex(q, -1, &p);
  EXPECT_EQ(misuseCount(), 1u);
  EXPECT_EQ(MQObj_GetFaceEdgeCrease(q, 1, 3), 0.0f) << "a triangle has edges 0..2";
  EXPECT_EQ(misuseCount(), 1u);
  EXPECT_EQ(MQObj_SetFaceEdgeCrease(q, 1, 3, 1.0f), 0);
  EXPECT_EQ(misuseCount(), 1u);
  EXPECT_EQ(MQObj_GetFacePointCount(q, 4), 0);
  EXPECT_EQ(misuseCount(), 1u);
  int foreign = 0;
  EXPECT_EQ(MQObj_GetVertexCount(reinterpret_cast<MQObject>(&foreign)), 0);
  EXPECT_EQ(MQObj_GetVertexCount(nullptr), 0);
  EXPECT_EQ(misuseCount(), 2u);
  char name[8];
  MQObj_GetName(q, name, 0);
  MQObj_GetName(q, nullptr, 250);
  EXPECT_EQ(misuseCount(), 2u);
  EXPECT_EQ(MQObj_SetName(q, nullptr), 0);
  EXPECT_EQ(misuseCount(), 1u);
}

TEST_F(SimHostObject, NamesAreCutToTheBufferAndTerminated) {
  quad->setName("a-very-long-object-name");
  char name[8];
  MQObj_GetName(quad->handle(), name, 8);
  EXPECT_STREQ(name, "a-very-");
}

TEST_F(SimHostObject, IntegerAttributes) {
  const MQObject q = quad->handle();
  MQObj_SetIntValue(q, MQOBJ_ID_DEPTH, 3);
  MQObj_SetIntValue(q, MQOBJ_ID_LOCKING, 1);
  MQObj_SetIntValue(q, MQOBJ_ID_SELECTED, 1);
  MQObj_SetIntValue(q, 12345, 9);
  EXPECT_EQ(MQObj_GetIntValue(q, MQOBJ_ID_DEPTH), 3);
  EXPECT_EQ(MQObj_GetIntValue(q, MQOBJ_ID_LOCKING), 1);
  EXPECT_EQ(MQObj_GetIntValue(q, MQOBJ_ID_SELECTED), 1);
  EXPECT_EQ(MQObj_GetIntValue(q, 12345), 0) << "unknown attributes are not stored";
  EXPECT_EQ(quad->depth, 3);
}

} // namespace
