// The face pass: the three ways a face is paired, the corner and edge alignment, and the faces
// that cannot be paired.
#include "TransferFixture.h"
#include "transfer/HostElementFaces.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace {

MQPoint at(float x, float y = 0, float z = 0) {
  return MQPoint{x, y, z};
}

// UV (u, u) and crease c per corner/edge of an element's faces.
scenes::ElementPlan attributes(const scenes::Mesh& source,
                               const std::vector<std::vector<float>>& uvs,
                               const std::vector<std::vector<float>>& creases) {
  scenes::ElementPlan e;
  for (const scenes::MeshVertex& v : source.vertices)
    e.positions.push_back(v.position);
  for (size_t f = 0; f < source.faces.size(); ++f) {
    e.materials.push_back(static_cast<int>(f) + 1);
    std::vector<MQCoordinate> corners;
    for (float u : uvs[f])
      corners.push_back(MQCoordinate{u, u});
    e.uvs.push_back(corners);
    e.creases.push_back(creases[f]);
  }
  return e;
}

// One face of an object as values.
struct FaceView {
  int material;
  std::vector<int> points;
  std::vector<MQCoordinate> uvs;
  std::vector<float> creases;
};

FaceView faceOf(const sim::Object& object, int f) {
  return FaceView{object.materials[size_t(f)], object.facePointList(f), object.faceUvList(f),
                  object.faceCreaseList(f)};
}

std::vector<float> uOf(const FaceView& face) {
  std::vector<float> u;
  for (const MQCoordinate& c : face.uvs)
    u.push_back(c.u);
  return u;
}

class FaceAttributes : public TransferTest {};

TEST_F(FaceAttributes, PairedByUniqueIdWithoutRotation) {
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(0, 1)}, {{0, 1, 2}});
  // Vertices moved away: only the face's ID pairs it.
  scene.destination = mesh({at(5), at(6), at(5, 1)}, {{0, 1, 2}});
  scene.elements.push_back(attributes(scene.source, {{0.1f, 0.2f, 0.3f}}, {{1, 2, 3}}));
  scene.settings = copyEverything();
  const scenes::Instance instance = run(scene);
  const FaceView face = faceOf(*instance.newElements[0], 0);
  EXPECT_EQ(face.material, 1);
  EXPECT_EQ(uOf(face), (std::vector<float>{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(face.creases, (std::vector<float>{1, 2, 3}));
  EXPECT_FALSE(pluginObject().faceAttributesSkipped);
}

TEST_F(FaceAttributes, PairedByVerticesWithTheCornersAligned) {
  // Source A B C with face (B, C, A); the Destination face (a, b, c) has a fresh ID.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(0, 1)}, {{1, 2, 0}});
  scene.destination = mesh({at(0), at(1), at(0, 1)}, {{0, 1, 2}});
  scene.destination.faces[0].uniqueId = 77;
  // Corners B, C, A carry UVs 0.2, 0.3, 0.1; edges B-C 1, C-A 2, A-B 3.
  scene.elements.push_back(attributes(scene.source, {{0.2f, 0.3f, 0.1f}}, {{1, 2, 3}}));
  scene.settings = copyEverything();
  const scenes::Instance instance = run(scene);
  const FaceView face = faceOf(*instance.newElements[0], 0);
  EXPECT_EQ(uOf(face), (std::vector<float>{0.1f, 0.2f, 0.3f}));
  // a-b takes A-B, b-c takes B-C, c-a takes C-A.
  EXPECT_EQ(face.creases, (std::vector<float>{3, 1, 2}));
  EXPECT_FALSE(pluginObject().faceAttributesSkipped);
}

TEST_F(FaceAttributes, MirroredFacesReverseTheCorners) {
  // Face 0 (A, C, B) on the right; face 1 (A', B', C') on the left is paired with it.
  scenes::Scene scene;
  scene.source = mesh({at(1), at(1, 1), at(2), at(-1), at(-1, 1), at(-2)}, {{0, 2, 1}, {3, 4, 5}});
  scene.destination = scene.source;
  // Corners A, C, B carry 0.1, 0.3, 0.2; edges A-C 1, C-B 2, B-A 3.
  scene.elements.push_back(
      attributes(scene.source, {{0.1f, 0.3f, 0.2f}, {0.7f, 0.8f, 0.9f}}, {{1, 2, 3}, {7, 8, 9}}));
  scene.settings = copyEverything();
  scene.settings.mirrorMorph = true;
  const scenes::Instance instance = run(scene);
  const FaceView face = faceOf(*instance.newElements[0], 1);
  EXPECT_EQ(face.material, 1);
  EXPECT_EQ(uOf(face), (std::vector<float>{0.1f, 0.2f, 0.3f}));
  // A'-B' takes B-A, B'-C' takes C-B, C'-A' takes A-C.
  EXPECT_EQ(face.creases, (std::vector<float>{3, 2, 1}));
}

// Bits of a float, so that -0 and NaN payloads compare as written.
uint32_t bitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float fromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST_F(FaceAttributes, ValuesTheNewElementHoldsAreNotSetAgainAndBitsDecide) {
  // The Destination (and so each new element, its copy) carries attributes of its own; the
  // element's face 0 has the same values, face 1 values equal to them only as numbers.
  const float nan = fromBits(0x7fc00001u), otherNan = fromBits(0x7fc00002u);
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(0, 1), at(1, 1)}, {{0, 1, 2}, {1, 3, 2}});
  scene.destination = scene.source;
  scene.elements.push_back(attributes(scene.source, {{0.5f, 0.25f, 0.0f}, {-0.0f, 0.5f, 0.5f}},
                                      {{1, nan, 0.0f}, {-0.0f, otherNan, 2}}));
  scene.elements[0].materials = {2, 3};
  scene.elements.push_back(scene.elements[0]);
  scene.settings = copyEverything();
  transferSettings() = scene.settings;
  const scenes::Instance instance = scenes::instantiate(scene, document_);
  for (sim::Object* object :
       {instance.destination, instance.newElements[0], instance.newElements[1]}) {
    object->editMaterials() = {2, 4};
    object->setFaceUvs(0, {{0.5f, 0.5f}, {0.25f, 0.25f}, {0.0f, 0.0f}});
    object->setFaceUvs(1, {{0.0f, 0.0f}, {0.5f, 0.5f}, {0.5f, 0.5f}});
    object->setFaceCreases(0, {1, nan, 0.0f});
    object->setFaceCreases(1, {0.0f, nan, 2});
  }
  scenes::bind(pluginObject(), document_, instance);
  pluginObject().buildMirrorMap();
  pluginObject().buildVertexMap();
  host.resetCallCounts();
  pluginObject().transferMorphs();

  const sim::Object& made = *instance.newElements[1];
  const sim::Object& element = *instance.elements[1];
  for (int f = 0; f < 2; ++f) {
    EXPECT_EQ(made.materials[size_t(f)], element.materials[size_t(f)]) << f;
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(bitsOf(made.faceUvs(f)[c].u), bitsOf(element.faceUvs(f)[c].u)) << f << c;
      EXPECT_EQ(bitsOf(made.faceCreases(f)[c]), bitsOf(element.faceCreases(f)[c])) << f << c;
    }
  }
  std::map<std::string, unsigned long long> calls = host.callCounts();
  // Face 1 of both new elements.
  EXPECT_EQ(calls["MQObj_SetFaceMaterial"], 2u);
  EXPECT_EQ(calls["MQObj_SetFaceCoordinateArray"], 2u);
  EXPECT_EQ(calls["MQObj_SetFaceEdgeCrease"], 4u);
}

TEST_F(FaceAttributes, EdgesAloneOpenTheFacePass) {
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(0, 1)}, {{1, 2, 0}});
  scene.destination = mesh({at(0), at(1), at(0, 1)}, {{0, 1, 2}});
  scene.destination.faces[0].uniqueId = 77;
  scene.elements.push_back(attributes(scene.source, {{0.2f, 0.3f, 0.1f}}, {{1, 2, 3}}));
  scene.settings.copyEdges = true;
  const scenes::Instance instance = run(scene);
  const FaceView face = faceOf(*instance.newElements[0], 0);
  EXPECT_EQ(face.creases, (std::vector<float>{3, 1, 2}));
  EXPECT_EQ(face.material, -1);
  EXPECT_EQ(uOf(face), (std::vector<float>{0, 0, 0}));
}

TEST_F(FaceAttributes, UnpairedFacesSetOneFlagAndKeepTheirAttributes) {
  // Face 1 holds an added vertex, face 2 is a re-triangulation, face 3 is empty, face 4 keeps a
  // Source face's ID with a point more.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(1, 1), at(0, 1)}, {{0, 1, 2}, {0, 2, 3}, {0, 1, 3}});
  scene.destination = mesh({at(0), at(1), at(1, 1), at(0, 1), at(2, 2)},
                           {{0, 1, 2}, {1, 4, 2}, {1, 2, 3}, {}, {0, 1, 3, 2}});
  scene.destination.faces[1].uniqueId = 11;
  scene.destination.faces[2].uniqueId = 12;
  scene.destination.faces[3].uniqueId = 13;
  scene.destination.faces[4].uniqueId = 3;
  scene.elements.push_back(attributes(scene.source,
                                      {{0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}, {0.7f, 0.8f, 0.9f}},
                                      {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
  scene.elements.push_back(scene.elements[0]);
  scene.settings = copyEverything();
  const scenes::Instance instance = run(scene);
  EXPECT_TRUE(pluginObject().faceAttributesSkipped);
  for (const sim::Object* e : instance.newElements) {
    EXPECT_EQ(e->materials[size_t(0)], 1);
    for (size_t f = 1; f < 5; ++f) {
      EXPECT_EQ(e->materials[size_t(f)], -1) << f;
      EXPECT_EQ(uOf(faceOf(*e, f)), std::vector<float>(size_t(e->facePointCount(f)), 0.0f)) << f;
    }
  }
}

TEST_F(FaceAttributes, UnselectedFacesAreNeitherCopiedNorCounted) {
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(0, 1), at(1, 1)}, {{0, 1, 2}, {1, 3, 2}});
  scene.destination = scene.source;
  scene.destination.faces[1].points = {1, 3, 2, 0}; // could not be paired
  scene.elements.push_back(
      attributes(scene.source, {{0.1f, 0.2f, 0.3f}, {0.4f, 0.5f, 0.6f}}, {{1, 2, 3}, {4, 5, 6}}));
  scene.settings = copyEverything();
  scene.settings.selectedVerticesOnly = true;
  scene.selectedVertices = {0, 1, 2, 3};
  scene.selectedFaces = {0};
  const scenes::Instance instance = run(scene);
  EXPECT_EQ(instance.newElements[0]->materials[0], 1);
  EXPECT_EQ(instance.newElements[0]->materials[1], -1);
  EXPECT_FALSE(pluginObject().faceAttributesSkipped);
}

TEST_F(FaceAttributes, TheHostsAnswersFindTheFaceAsTheSnapshotWould) {
  // Vertex 3 is in no face: no face holds 3, 0 and 1, although face 0 has three points. The
  // faces are asked of the host as the pairing needs them; a new set of answers per change.
  sim::Object* object = document_.addObject("Body");
  for (int i = 0; i < 4; ++i)
    object->addVertex(at(float(i)));
  object->addFace({0, 1, 2});
  object->addFace({0, 1, 2, 3});
  auto find = [&](const std::vector<int>& vertices) {
    transfer::HostElementFaces faces(object->handle(), object->vertexCount());
    return transfer::findFaceWithVertices(faces, vertices);
  };
  EXPECT_EQ(find({3, 0, 1}), -1);
  object->setFacePoints(1, {0, 1, 2});

  EXPECT_EQ(find({3, 0, 1}), -1);
  EXPECT_EQ(find({2, 0, 1}), 0);
  EXPECT_EQ(find({0, 1, 9}), -1) << "not in the object, and not asked about";
  // Only the smallest candidate is tested.
  object->setFacePoints(0, {0, 1, 2, 3});

  EXPECT_EQ(find({0, 1, 2}), -1);
}

} // namespace
