// Vertex correspondence: the position diff, the mirror partners and the lookup, on small
// documents whose expected pairs can be read off by hand.
#include "TransferFixture.h"
#include "transfer/SequenceDiff.h"
#include "transfer/Tolerances.h"
#include "transfer/VertexCorrespondence.h"

#include <cmath>
#include <limits>

namespace {

// Every vertex used, by one line face per vertex pair (and a point face for an odd last one).
scenes::Mesh usedPoints(const std::vector<MQPoint>& points) {
  std::vector<std::vector<int>> faces;
  for (size_t i = 0; i < points.size(); i += 2)
    faces.push_back(i + 1 < points.size() ? std::vector<int>{int(i), int(i + 1)}
                                          : std::vector<int>{int(i)});
  return mesh(points, faces);
}

MQPoint at(float x, float y = 0, float z = 0) {
  return MQPoint{x, y, z};
}

class Correspondence : public TransferTest {
protected:
  // The vertex map of Destination vertices 0 .. n - 1 (-2 where there is no entry).
  std::vector<int> diff(const scenes::Mesh& source, const scenes::Mesh& destination) {
    scenes::Scene scene;
    scene.source = source;
    scene.destination = destination;
    scene.settings = copyEverything();
    run(scene);
    std::vector<int> map;
    for (size_t v = 0; v < destination.vertices.size(); ++v)
      map.push_back(pluginObject().vertexMap.find(static_cast<int>(v), -2));
    return map;
  }
  std::vector<int> mirror(const scenes::Mesh& destination) {
    scenes::Scene scene;
    scene.source = destination;
    scene.destination = destination;
    scene.settings = copyEverything();
    scene.settings.mirrorMorph = true;
    run(scene);
    std::vector<int> map;
    for (size_t v = 0; v < destination.vertices.size(); ++v)
      map.push_back(pluginObject().mirrorMap.find(static_cast<int>(v), -2));
    return map;
  }
};

TEST_F(Correspondence, TolerancesHaveTheirExactBits) {
  EXPECT_EQ(transfer::kMatchTolerance, 0.001f * 0.001f);
  EXPECT_EQ(transfer::kMirrorPlaneTolerance, 0.001f);
  EXPECT_GT(transfer::kMatchTolerance, 1e-6f);
  EXPECT_EQ(std::nextafter(1e-6f, 1.0f), transfer::kMatchTolerance);
}

TEST_F(Correspondence, PositionsMatchStrictlyBelowTheToleranceAndNeverWithNaN) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const scenes::Mesh source = usedPoints({at(0), at(0.001f), at(0.0009999f), at(0, nan)});
  scenes::Scene scene;
  scene.source = source;
  scene.destination = source;
  run(scene);
  using transfer::VertexRef;
  EXPECT_TRUE(transfer::positionsMatch(VertexRef{0, 1}, VertexRef{0, 2}));
  EXPECT_FALSE(transfer::positionsMatch(VertexRef{0, 1}, VertexRef{1, 2})) << "exactly at it";
  EXPECT_TRUE(transfer::positionsMatch(VertexRef{0, 1}, VertexRef{2, 2}));
  EXPECT_FALSE(transfer::positionsMatch(VertexRef{3, 1}, VertexRef{3, 2}));
  EXPECT_FALSE(transfer::samePosition(at(0), at(0.001f)));
}

TEST_F(Correspondence, SameVerticesMapInSequenceOrder) {
  const scenes::Mesh m = usedPoints({at(0), at(1), at(2), at(3)});
  EXPECT_EQ(diff(m, m), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(Correspondence, AppendedAndInsertedVerticesHaveNoSource) {
  const scenes::Mesh source = usedPoints({at(0), at(1), at(2), at(3)});
  EXPECT_EQ(diff(source, usedPoints({at(0), at(1), at(2), at(3), at(7), at(8)})),
            (std::vector<int>{0, 1, 2, 3, -1, -1}));
  EXPECT_EQ(diff(source, usedPoints({at(0), at(1), at(9), at(2), at(3)})),
            (std::vector<int>{0, 1, -1, 2, 3}));
}

TEST_F(Correspondence, AMovedVertexLosesItsSource) {
  const scenes::Mesh source = usedPoints({at(0), at(1), at(2), at(3)});
  EXPECT_EQ(diff(source, usedPoints({at(0), at(1.5f), at(2), at(3)})),
            (std::vector<int>{0, -1, 2, 3}));
  // Moved by less than the tolerance: still the same vertex.
  EXPECT_EQ(diff(source, usedPoints({at(0), at(1, 0.0009f), at(2), at(3)})),
            (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(Correspondence, ReorderedVerticesMatchAlongOneCommonSubsequence) {
  // a b c d against b c d a: b c d stay matched, a is unmatched on both sides.
  EXPECT_EQ(
      diff(usedPoints({at(0), at(1), at(2), at(3)}), usedPoints({at(1), at(2), at(3), at(0)})),
      (std::vector<int>{1, 2, 3, -1}));
  // a b against b a: of the two common subsequences the search keeps the one with b.
  EXPECT_EQ(diff(usedPoints({at(0), at(1)}), usedPoints({at(1), at(0)})),
            (std::vector<int>{-1, 0}));
}

TEST_F(Correspondence, ARepeatedVertexTakesTheStepAlongTheDestination) {
  EXPECT_EQ(diff(usedPoints({at(0), at(1)}), usedPoints({at(0), at(0), at(1)})),
            (std::vector<int>{0, -1, 1}));
}

TEST_F(Correspondence, CoincidentVerticesPairInIndexOrder) {
  EXPECT_EQ(diff(usedPoints({at(5), at(5), at(6)}), usedPoints({at(5), at(5), at(6)})),
            (std::vector<int>{0, 1, 2}));
}

TEST_F(Correspondence, UnusedVerticesTakePartInNothing) {
  // Source vertex 1 and Destination vertex 2 are in no face.
  const scenes::Mesh source = mesh({at(0), at(1), at(2), at(3)}, {{0, 2, 3}});
  const scenes::Mesh destination = mesh({at(0), at(2), at(3), at(3)}, {{0, 1, 3}});
  EXPECT_EQ(diff(source, destination), (std::vector<int>{0, 2, -2, 3}));
  EXPECT_EQ(pluginObject().vertexMap.size(), 3u);
  // No used Source vertex: every used Destination vertex is added.
  EXPECT_EQ(diff(mesh({at(0)}, {}), usedPoints({at(0), at(1)})), (std::vector<int>{-1, -1}));
  // No used Destination vertex: an empty map.
  EXPECT_EQ(diff(usedPoints({at(0)}), mesh({at(0)}, {})), (std::vector<int>{-2}));
}

TEST_F(Correspondence, UniqueIdsBuildNoMapAndAnAbsentIdGivesNone) {
  scenes::Scene scene;
  scene.source = usedPoints({at(0), at(1), at(2)});
  scene.destination = usedPoints({at(5), at(6), at(7)});
  scene.destination.vertices[0].uniqueId = 3;
  scene.destination.vertices[1].uniqueId = 1;
  scene.destination.vertices[2].uniqueId = 99;
  scene.settings = copyEverything();
  scene.settings.useUniqueIds = true;
  run(scene);
  EXPECT_TRUE(pluginObject().vertexMap.empty());
  EXPECT_EQ(pluginObject().findSourceVertex(0), 2);
  EXPECT_EQ(pluginObject().findSourceVertex(1), 0);
  EXPECT_EQ(pluginObject().findSourceVertex(2), -1);
}

TEST_F(Correspondence, MirrorPartnersAndThePlane) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // 0 and 2 are partners; 1 is on the plane; 3 sits exactly at |x| = 0.001 and has no partner;
  // 4 has none; 5 is NaN; 6 coincides with 0, which found 2 first; 7 is unused.
  const scenes::Mesh m =
      mesh({at(1), at(0.0009f, 2), at(-1), at(0.001f, 3), at(4, 4), at(nan), at(1), at(-9)},
           {{0, 1, 2}, {3, 4, 5}, {6, 0}});
  const std::vector<int> partner = mirror(m);
  EXPECT_EQ(partner, (std::vector<int>{2, 1, 0, -2, -2, -2, 2, -2}));
  // The lookup goes through the partner; without a partner a vertex stands for itself.
  pluginObject().vertexMap.clear();
  for (int v = 0; v < 8; ++v)
    pluginObject().vertexMap.insert(v, 10 + v);
  EXPECT_EQ(pluginObject().findSourceVertex(0), 12);
  EXPECT_EQ(pluginObject().findSourceVertex(2), 10);
  EXPECT_EQ(pluginObject().findSourceVertex(1), 11);
  EXPECT_EQ(pluginObject().findSourceVertex(4), 14);
  EXPECT_EQ(pluginObject().findSourceVertex(6), 12);
}

TEST_F(Correspondence, MirrorPartnerIsTheLowestIndexWithinTolerance) {
  // The reflection of 0 is (-1, 0, 0): 1 and 2 are both inside the tolerance, 1 is lower. 2
  // then finds 0, which keeps its first partner; 3 is exactly at the tolerance from 0's mirror.
  const scenes::Mesh m = usedPoints({at(1), at(-1, 0.0009f), at(-1, 0.0005f), at(-1, 0.001f)});
  EXPECT_EQ(mirror(m), (std::vector<int>{1, 0, 0, -2}));
}

TEST_F(Correspondence, AlignmentIsTheSameForAnyInputSizeWithoutExploringNodes) {
  // Long identical runs with a few edits: the matched runs alone carry the result.
  std::vector<MQPoint> a, b;
  for (int i = 0; i < 20000; ++i)
    a.push_back(at(float(i)));
  b = a;
  b.erase(b.begin() + 5000);
  b.insert(b.begin() + 12000, at(-5));
  b[15000].y = 1;
  const std::vector<int> matched = transfer::alignSequences(a, b);
  ASSERT_EQ(matched.size(), b.size());
  EXPECT_EQ(matched[4999], 4999);
  EXPECT_EQ(matched[5000], 5001);
  EXPECT_EQ(matched[11999], 12000);
  EXPECT_EQ(matched[12000], -1);
  EXPECT_EQ(matched[12001], 12001);
  EXPECT_EQ(matched[15000], -1);
  EXPECT_EQ(matched[15001], 15001);
  EXPECT_EQ(transfer::alignSequences({}, {}).size(), 0u);
  EXPECT_EQ(transfer::alignSequences({}, {at(1)}), std::vector<int>{-1});
  EXPECT_EQ(transfer::alignSequences({at(1)}, {}), std::vector<int>{});
}

} // namespace
