// Offsets of added vertices: regions, boundaries and the inverse-square weighting.
#include "TransferFixture.h"

namespace {

MQPoint at(float x, float y = 0, float z = 0) {
  return MQPoint{x, y, z};
}

scenes::ElementPlan element(const std::vector<MQPoint>& positions) {
  scenes::ElementPlan e;
  e.positions = positions;
  return e;
}

class Propagation : public TransferTest {
protected:
  // Runs with coordinates only and answers the first new element.
  const sim::Object& transfer(scenes::Scene scene) {
    scene.settings = TransferSettings{};
    scene.settings.morphAddedVertices = true;
    scene.settings.copyCoordinates = true;
    scene.settings.rate = 1.0f;
    scene.settings.selectedVerticesOnly = !scene.selectedVertices.empty();
    return *run(scene).newElements[0];
  }
};

TEST_F(Propagation, TheMidpointOfASplitLineTakesTheMeanOffset) {
  scenes::Scene scene;
  scene.source = mesh({at(0), at(2)}, {{0, 1}});
  scene.destination = mesh({at(0), at(1), at(2)}, {{0, 1}, {1, 2}});
  scene.elements.push_back(element({at(0, 1), at(2, 3)}));
  const sim::Object& result = transfer(scene);
  EXPECT_EQ(result.positions[1].y, 2.0f);
  EXPECT_EQ(result.positions[1].x, 1.0f);
}

TEST_F(Propagation, AnIslandWithoutBoundaryStaysPut) {
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(0, 1)}, {{0, 1, 2}});
  scene.destination =
      mesh({at(0), at(1), at(0, 1), at(5), at(6), at(5, 1)}, {{0, 1, 2}, {3, 4, 5}});
  scene.elements.push_back(element({at(0, 0, 1), at(1, 0, 1), at(0, 1, 1)}));
  const sim::Object& result = transfer(scene);
  for (int v = 3; v < 6; ++v)
    EXPECT_EQ(result.positions[static_cast<size_t>(v)].z, 0.0f);
  EXPECT_EQ(result.positions[0].z, 1.0f);
}

TEST_F(Propagation, AVertexOnABoundaryVertexTakesItsOffsetExactly) {
  // Added vertex 3 sits on both 1 and 2 (which coincide); 1 is the lower and wins.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(1)}, {{0, 1, 2}});
  scene.destination = mesh({at(0), at(1), at(1), at(1)}, {{0, 1, 3}, {3, 2, 0}});
  scene.elements.push_back(element({at(0, 0, 9), at(1, 0, 0.3f), at(1, 0, 7)}));
  const sim::Object& result = transfer(scene);
  EXPECT_EQ(result.positions[3].z, 0.3f);
}

TEST_F(Propagation, QuadDiagonalsAreNotNeighbours) {
  // Added vertex 3 in quad (0, 1, 2, 3) is joined to 2 and 0, not to 1.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(1), at(1, 1)}, {{0, 1, 2}});
  scene.destination = mesh({at(0), at(1), at(1, 1), at(0, 1)}, {{0, 1, 2, 3}});
  scene.elements.push_back(element({at(0, 0, 1), at(1, 0, 100), at(1, 1, 1)}));
  const sim::Object& result = transfer(scene);
  EXPECT_EQ(result.positions[3].z, 1.0f);
}

TEST_F(Propagation, AVertexJoinedToTwoRegionsServesBoth) {
  // Two added vertices on either side of matched vertex 1, each a region of its own.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(2), at(4)}, {{0, 1, 2}});
  scene.destination = mesh({at(0), at(1), at(2), at(3), at(4)}, {{0, 1}, {1, 2}, {2, 3}, {3, 4}});
  scene.elements.push_back(element({at(0), at(2, 0, 4), at(4)}));
  const sim::Object& result = transfer(scene);
  EXPECT_EQ(result.positions[1].z, 2.0f);
  EXPECT_EQ(result.positions[3].z, 2.0f);
}

TEST_F(Propagation, UnselectedAddedVerticesStillJoinTheRegion) {
  // Chain 0 - 1 - 2 - 3 with 1 and 2 added, only 1 selected: its boundary is {0, 3}.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(3)}, {{0, 1}});
  scene.destination = mesh({at(0), at(1), at(2), at(3)}, {{0, 1}, {1, 2}, {2, 3}});
  scene.elements.push_back(element({at(0), at(3, 0, 5)}));
  scene.selectedVertices = {1};
  const sim::Object& result = transfer(scene);
  // Squared distances 1 and 4: weights 1 and 0.25.
  EXPECT_EQ(result.positions[1].z, (0.25f * 5) / (1 + 0.25f));
  EXPECT_EQ(result.positions[2].z, 0.0f) << "not selected: not written";
}

} // namespace

namespace {

TEST_F(Propagation, AFloodEntersAnEarlierVertexItsOwnFloodNeverEntered) {
  // Face (a, i, c, i, j): i's neighbours are a and c, j's are a and i, but no edge leads from
  // i's neighbours back to i. So i's own flood never enters i, and j's later flood does, taking
  // c into j's boundary as well.
  scenes::Scene scene;
  scene.source = mesh({at(0), at(2)}, {{0, 1}});
  scene.destination = mesh({at(0), at(1), at(2), at(0, 1)}, {{0, 1, 2, 1, 3}});
  scene.destination.vertices[1].uniqueId = 10;
  scene.destination.vertices[2].uniqueId = 2;
  scene.destination.vertices[3].uniqueId = 11;
  scene.elements.push_back(element({at(0), at(2, 0, 1)}));
  scene.settings.useUniqueIds = true;
  const sim::Object& result = [&]() -> const sim::Object& {
    transferSettings() = TransferSettings{};
    scene.settings.morphAddedVertices = scene.settings.copyCoordinates = true;
    scene.settings.rate = 1.0f;
    return *run(scene).newElements[0];
  }();
  const float w = 1.0f / 5.0f;
  EXPECT_EQ(result.positions[3].z, w / (1.0f + w));
  EXPECT_EQ(result.positions[1].z, (0.0f + 1.0f * 1.0f) / (1.0f + 1.0f));
}

} // namespace
