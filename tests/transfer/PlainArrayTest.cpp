// The transfer's functions on plain arrays, on arrays written here: the dense pairing table with
// its one "no Source vertex" value, the faces of each vertex, the face pairing, and the mirror
// partners where coordinates are far out, infinite or not numbers.
#include "transfer/FacePairing.h"
#include "transfer/MirrorPartners.h"
#include "transfer/VertexPairing.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using transfer::kNoSourceVertex;
using transfer::MeshSnapshot;

MeshSnapshot vertices(const std::vector<float>& xs, const std::vector<char>& used) {
  MeshSnapshot mesh;
  mesh.parts = transfer::kPositions | transfer::kUsedFlags;
  mesh.vertexCount = static_cast<int>(xs.size());
  for (float x : xs)
    mesh.positions.push_back(MQPoint{x, 0, 0});
  mesh.used = used;
  return mesh;
}

MeshSnapshot faces(int vertexCount, const std::vector<std::vector<int>>& points) {
  MeshSnapshot mesh;
  mesh.parts = transfer::kFaces;
  mesh.vertexCount = vertexCount;
  for (const std::vector<int>& face : points) {
    mesh.points.insert(mesh.points.end(), face.begin(), face.end());
    mesh.faceStart.push_back(mesh.points.size());
  }
  return mesh;
}

std::vector<int> facesOf(const transfer::ElementFaces& element, int v) {
  const transfer::VertexFaceRange range = element.facesOf(v);
  return std::vector<int>(range.first, range.last);
}

TEST(DensePairing, OneEntryPerDestinationVertexAndMinusOneForNone) {
  // Source vertex 1 is unused: the Source vertex 2 is the second of the sequence, and the table
  // names it by its index in the Source, not by its place in the sequence.
  const MeshSnapshot source = vertices({0, 1, 2, 3, 4}, {1, 0, 1, 1, 1});
  // Destination: 9 is added, vertex 3 is unused (its position would match).
  const MeshSnapshot destination = vertices({0, 9, 2, 3, 3, 4}, {1, 1, 1, 0, 1, 1});
  EXPECT_EQ(transfer::pairByPosition(source, destination),
            (std::vector<int>{0, kNoSourceVertex, 2, kNoSourceVertex, 3, 4}));
  EXPECT_EQ(kNoSourceVertex, -1);
  // Nothing used on either side: every entry says none.
  EXPECT_EQ(transfer::pairByPosition(vertices({0}, {0}), vertices({0, 1}, {1, 1})),
            (std::vector<int>{-1, -1}));
}

TEST(DensePairing, ThroughTheMirrorAVertexTakesItsPartnersEntry) {
  const std::vector<int> pairing{10, 11, 12, kNoSourceVertex};
  EXPECT_EQ(transfer::throughMirror(pairing, {2, -1, 0, 3}),
            (std::vector<int>{12, 11, 10, kNoSourceVertex}));
  EXPECT_EQ(transfer::throughMirror(pairing, {}), pairing);
}

TEST(VertexFacesTable, EachFaceOnceAscendingAndOnlyForVerticesOfTheMesh) {
  const transfer::ElementFaces element(faces(4, {{0, 1, 2}, {2, 2, 3}, {-1, 1, 7}, {}, {3, 0}}));
  EXPECT_EQ(facesOf(element, 0), (std::vector<int>{0, 4}));
  EXPECT_EQ(facesOf(element, 1), (std::vector<int>{0, 2}));
  EXPECT_EQ(facesOf(element, 2), (std::vector<int>{0, 1})) << "named twice, counted once";
  EXPECT_EQ(facesOf(element, 3), (std::vector<int>{1, 4}));
  EXPECT_TRUE(facesOf(element, 7).empty()) << "a point outside the mesh is no vertex";
  EXPECT_TRUE(facesOf(element, -1).empty());
}

TEST(FacePairingOnArrays, TheSmallestFaceHoldingAllVerticesWithTheirCount) {
  transfer::ElementFaces element(faces(7, {{0, 1, 2, 3}, {1, 4, 5, 2}, {2, 5, 6}}));
  EXPECT_EQ(transfer::findFaceWithVertices(element, {2, 1, 0, 3}), 0);
  EXPECT_EQ(transfer::findFaceWithVertices(element, {5, 2, 6}), 2);
  EXPECT_EQ(transfer::findFaceWithVertices(element, {1, 2}), -1) << "face 0 has four points";
  EXPECT_EQ(transfer::findFaceWithVertices(element, {0, 9}), -1) << "9 is no vertex";
  EXPECT_EQ(transfer::findFaceWithVertices(element, {}), -1);
}

TEST(FacePairingOnArrays, RotationAndTheNoneValue) {
  transfer::ElementFaces element(faces(7, {{0, 1, 2, 3}, {1, 4, 5, 2}}));
  std::vector<int> pairs(14, kNoSourceVertex);
  pairs[10] = 1, pairs[11] = 2, pairs[12] = 3, pairs[13] = 0;
  const int points[] = {10, 11, 12, 13};
  const transfer::FaceMatch match = transfer::findSourceFace(element, points, 4, pairs);
  EXPECT_EQ(match.face, 0);
  EXPECT_EQ(match.rotation, 1) << "Source vertex 1 stands at position 1 of face 0";
  pairs[12] = kNoSourceVertex;
  EXPECT_EQ(transfer::findSourceFace(element, points, 4, pairs).face, -1);
  const int outside[] = {10, 11, 99, 13};
  EXPECT_EQ(transfer::findSourceFace(element, outside, 4, pairs).face, -1);
  EXPECT_EQ(transfer::matchByUniqueId(3, 4, 4).face, 3);
  EXPECT_EQ(transfer::matchByUniqueId(3, 3, 4).face, -1) << "a face of another size";
  EXPECT_EQ(transfer::matchByUniqueId(-1, 4, 4).face, -1);
}

TEST(MirrorPartnersAtExtremes, FarInfiniteAndNanCoordinatesPairAsThePlainScanDoes) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<MQPoint> positions = {
      {3e38f, 0, 0},       {-3e38f, 0, 0},             // 0, 1: far partners
      {inf, 0, 0},         {-inf, 0, 0},               // 2, 3: infinities never match
      {nan, 0, 0},         {1e20f, 5, 5},              // 4: NaN; 5: far
      {-1e20f, 5, 5},      {-1e20f, 5, 5},             // 6, 7: 5's reflection twice; 6 is lower
      {16777216.0f, 1, 1}, {-16777216.0f, 1, 1.0009f}, // 8, 9: within the tolerance
      {16777218.0f, 2, 2}, {-16777216.0f, 2, 2},       // 10, 11: one float step apart: no match
      {0.0005f, 3e38f, 0}, {1, -3e38f, 7},             // 12: on the plane; 13: no partner
      {-1, -3e38f, 7},     {-1, -3e38f, 7}};           // 14, 15: 13's reflection; 14 is lower
  const std::vector<char> used(positions.size(), 1);
  EXPECT_EQ(transfer::findMirrorPartners(positions, used),
            (std::vector<int>{1, 0, -1, -1, -1, 6, 5, 5, 9, 8, -1, -1, 12, 14, 13, 13}));
}

TEST(MirrorPartnersAtExtremes, OneFarVertexLeavesEveryOtherPairAsItWas) {
  // A grid symmetric about x = 0, then one vertex far out: the grid's pairs do not change.
  std::vector<MQPoint> positions;
  for (int row = 0; row < 50; ++row)
    for (int column = -50; column <= 50; ++column)
      positions.push_back(MQPoint{column * 0.01f, row * 0.01f, 0});
  std::vector<char> used(positions.size(), 1);
  const std::vector<int> before = transfer::findMirrorPartners(positions, used);
  positions.push_back(MQPoint{3e38f, 0, 0});
  used.push_back(1);
  std::vector<int> after = transfer::findMirrorPartners(positions, used);
  EXPECT_EQ(after.back(), -1);
  after.pop_back();
  EXPECT_EQ(after, before);
  for (size_t v = 0; v < before.size(); ++v)
    ASSERT_EQ(before[v], static_cast<int>(v / 101 * 101 + (100 - v % 101))) << "vertex " << v;
}

} // namespace
