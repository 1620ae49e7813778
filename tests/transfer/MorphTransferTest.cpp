// The vertex pass: offsets scaled by the rate, mirrored, restricted to selected vertices, weights,
// and elements that lack some of the Source's vertices.
#include "TransferFixture.h"

#include <cmath>
#include <map>
#include <string>

namespace {

MQPoint at(float x, float y = 0, float z = 0) {
  return MQPoint{x, y, z};
}

// A triangle Source with one element that moves vertex 1 by (0.5, 0.25, -1) and weighs it 0.25;
// the Destination is the same triangle.
scenes::Scene triangleScene() {
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(0, 1)}, {{0, 1, 2}});
  scene.destination = scene.source;
  scenes::ElementPlan e;
  e.positions = {at(0), at(1.5f, 0.25f, -1), at(0, 1)};
  e.weights = {1, 0.25f, 1};
  scene.elements.push_back(e);
  scene.settings = copyEverything();
  return scene;
}

void expectPoint(const MQPoint& actual, const MQPoint& expected) {
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
  EXPECT_EQ(actual.z, expected.z);
}

class MorphTransfer : public TransferTest {};

TEST_F(MorphTransfer, TheRateScalesTheOffset) {
  for (float rate : {1.0f, 0.5f, 0.0f, -1.0f}) {
    scenes::Scene scene = triangleScene();
    scene.settings.rate = rate;
    const scenes::Instance instance = run(scene);
    const sim::Object& moved = *instance.newElements[0];
    expectPoint(moved.positions[1], at(1 + rate * 0.5f, 0 + rate * 0.25f, 0 + rate * -1.0f));
    expectPoint(moved.positions[0], at(0));
    EXPECT_EQ(moved.weights[1], 0.25f) << "weights are not scaled";
  }
}

TEST_F(MorphTransfer, OnlyValuesThatChangeAreSetAndBitsDecide) {
  // Vertex 0 stands at x = -0 and does not move: adding the zero offset makes it +0, which is
  // written. Vertex 2 stays bit for bit and keeps the Destination's weight: nothing is set.
  scenes::Scene scene = triangleScene();
  scene.source.vertices[0].position = at(-0.0f);
  scene.destination = scene.source;
  scene.elements[0].positions[0] = at(-0.0f);
  scene.elements[0].weights = {-0.0f, 0.25f, 1};
  scene.elements.push_back(scene.elements[0]);
  host.resetCallCounts();
  const scenes::Instance instance = run(scene);
  const sim::Object& moved = *instance.newElements[1];
  EXPECT_FALSE(std::signbit(moved.positions[0].x));
  EXPECT_TRUE(std::signbit(moved.weights[0]));
  expectPoint(moved.positions[1], at(1.5f, 0.25f, -1));
  EXPECT_EQ(moved.weights[1], 0.25f);
  std::map<std::string, unsigned long long> calls = host.callCounts();
  // Vertices 0 and 1 of both new elements.
  EXPECT_EQ(calls["MQObj_SetVertex"], 4u);
  EXPECT_EQ(calls["MQObj_SetVertexWeight"], 4u);
}

TEST_F(MorphTransfer, CoordinatesOffMovesNothing) {
  scenes::Scene scene = triangleScene();
  scene.settings.copyCoordinates = false;
  const scenes::Instance instance = run(scene);
  expectPoint(instance.newElements[0]->positions[1], at(1));
  EXPECT_EQ(instance.newElements[0]->weights[1], 0.25f);
}

TEST_F(MorphTransfer, SelectedOnlyWithNothingSelectedChangesNothing) {
  scenes::Scene scene = triangleScene();
  scene.settings.selectedVerticesOnly = true;
  scene.elements[0].materials = {3};
  const scenes::Instance instance = run(scene);
  const sim::Object& moved = *instance.newElements[0];
  expectPoint(moved.positions[1], at(1));
  EXPECT_EQ(moved.weights[1], 1.0f);
  EXPECT_EQ(moved.materials[size_t(0)], -1);
  EXPECT_FALSE(pluginObject().faceAttributesSkipped);
}

TEST_F(MorphTransfer, SelectedOnlyWritesTheSelectedVertices) {
  scenes::Scene scene = triangleScene();
  scene.elements[0].positions[2] = at(0, 2);
  scene.settings.selectedVerticesOnly = true;
  scene.selectedVertices = {2};
  const scenes::Instance instance = run(scene);
  expectPoint(instance.newElements[0]->positions[1], at(1));
  expectPoint(instance.newElements[0]->positions[2], at(0, 2));
}

TEST_F(MorphTransfer, MirroredPairSwapsTheSides) {
  // Source offsets (0.1, 0, 0) at (1, 0, 0) and none at (-1, 0, 0); the apex is on the plane.
  scenes::Scene scene;
  scene.source = mesh({at(1), at(-1), at(0, 1)}, {{0, 1, 2}});
  scene.destination = scene.source;
  scenes::ElementPlan e;
  e.positions = {at(1.1f), at(-1), at(0, 1)};
  scene.elements.push_back(e);
  scene.settings = copyEverything();
  scene.settings.mirrorMorph = true;
  for (float rate : {1.0f, 0.5f}) {
    scene.settings.rate = rate;
    const scenes::Instance instance = run(scene);
    const float dx = 1.1f - 1.0f;
    expectPoint(instance.newElements[0]->positions[1], at(-1 + rate * -dx));
    expectPoint(instance.newElements[0]->positions[0], at(1));
    expectPoint(instance.newElements[0]->positions[2], at(0, 1));
  }
}

TEST_F(MorphTransfer, UnusedVerticesAreNeverWritten) {
  scenes::Scene scene = triangleScene();
  scene.source.vertices.push_back(scenes::MeshVertex{at(5), 4});
  scene.destination = scene.source;
  scene.elements[0].positions.push_back(at(6));
  scene.elements[0].weights.push_back(0.5f);
  scene.settings.useUniqueIds = true;
  const scenes::Instance instance = run(scene);
  expectPoint(instance.newElements[0]->positions[3], at(5));
  EXPECT_EQ(instance.newElements[0]->weights[3], 1.0f);
}

TEST_F(MorphTransfer, AddedVerticesStayWhenNotMorphed) {
  scenes::Scene scene = triangleScene();
  scene.destination = mesh({at(0), at(1), at(0, 1), at(1, 1)}, {{0, 1, 2}, {1, 3, 2}});
  scene.settings.morphAddedVertices = false;
  const scenes::Instance instance = run(scene);
  expectPoint(instance.newElements[0]->positions[3], at(1, 1));
  EXPECT_EQ(instance.newElements[0]->weights[3], 1.0f);
  EXPECT_TRUE(pluginObject().faceAttributesSkipped) << "the face with the added vertex";
}

TEST_F(MorphTransfer, AddedVerticesAreInterpolatedButGetNoWeight) {
  scenes::Scene scene = triangleScene();
  scene.destination = mesh({at(0), at(1), at(0, 1), at(1, 1)}, {{0, 1, 2}, {1, 3, 2}});
  scene.elements[0].weights = {0.5f, 0.25f, 0.5f};
  const scenes::Instance instance = run(scene);
  // Neighbours 1 and 2 at squared distance 1: the mean of (0.5, 0.25, -1) and (0, 0, 0).
  expectPoint(instance.newElements[0]->positions[3], at(1 + 0.5f / 2, 1 + 0.25f / 2, -1.0f / 2));
  EXPECT_EQ(instance.newElements[0]->weights[3], 1.0f);
}

TEST_F(MorphTransfer, AnElementShorterThanTheSourceIsNeverReadPastItsEnd) {
  // The element lacks Source vertices 2 and 3 (and the face using them); the Destination adds
  // vertex 4 between 1 and 3. Strict mode fails the test on any out-of-range request.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(2), at(3)}, {{0, 1}, {1, 2, 3}});
  scene.destination = mesh({at(0), at(1), at(2), at(3), at(2, 1)}, {{0, 1}, {1, 2, 3}, {1, 4, 3}});
  scenes::ElementPlan e;
  e.positions = {at(0, 1), at(1, 1), at(2, 1), at(3, 1)};
  e.weights = {0.5f, 0.5f, 0.5f, 0.5f};
  e.materials = {4, 5};
  e.vertexCount = 2;
  scene.elements.push_back(e);
  scene.settings = copyEverything();
  const scenes::Instance instance = run(scene);
  const sim::Object& moved = *instance.newElements[0];
  expectPoint(moved.positions[1], at(1, 1));
  EXPECT_EQ(moved.weights[1], 0.5f);
  expectPoint(moved.positions[2], at(2)); // no offset to take
  EXPECT_EQ(moved.weights[2], 1.0f);
  expectPoint(moved.positions[3], at(3));
  // Vertex 4 sees 1 (offset (0, 1, 0), squared distance 2) and 3 (zero offset, distance 2).
  const float w = 1.0f / 2.0f;
  expectPoint(moved.positions[4], at(2, 1 + (w * 1.0f) / (w + w)));
  EXPECT_EQ(moved.materials[size_t(0)], 4);
  EXPECT_EQ(moved.materials[size_t(1)], -1);
  EXPECT_TRUE(pluginObject().faceAttributesSkipped);
}

} // namespace
