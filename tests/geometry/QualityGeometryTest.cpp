// The pieces of the surface mode against what they must compute: the tree's closest points
// against a search of every triangle, triangulations that cover the face and stay inside it, the
// harmonic fill against functions it must reproduce, and the pieces it must leave alone.
#include "EdgeGraph.h"
#include "HarmonicFill.h"
#include "TriangleTree.h"
#include "Triangulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace quality;

namespace {

double squaredDistance(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c,
                       const double (&w)[3]) {
  const double q[3] = {w[0] * a.x + w[1] * b.x + w[2] * c.x, w[0] * a.y + w[1] * b.y + w[2] * c.y,
                       w[0] * a.z + w[1] * b.z + w[2] * c.z};
  return (p.x - q[0]) * (p.x - q[0]) + (p.y - q[1]) * (p.y - q[1]) + (p.z - q[2]) * (p.z - q[2]);
}

// The closest point of one triangle by sampling it densely: an independent upper bound.
double sampledDistance(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c) {
  double best = INFINITY;
  const int steps = 60;
  for (int i = 0; i <= steps; ++i)
    for (int j = 0; i + j <= steps; ++j) {
      const double w[3] = {double(i) / steps, double(j) / steps, double(steps - i - j) / steps};
      best = std::min(best, squaredDistance(p, a, b, c, w));
    }
  return best;
}

double area(const Vec3& a, const Vec3& b, const Vec3& c) {
  return 0.5 *
         ((double(b.x) - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (double(b.y) - a.y));
}

} // namespace

TEST(TriangleTree, FindsTheClosestPointOfAnyTriangleAsASearchOfAllWould) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> spread(-1, 1);
  std::vector<Vec3> positions;
  std::vector<Triangle> triangles;
  for (int t = 0; t < 300; ++t) {
    const Vec3 centre{spread(random), spread(random), spread(random)};
    const int first = static_cast<int>(positions.size());
    for (int c = 0; c < 3; ++c)
      positions.push_back(Vec3{centre.x + 0.1f * spread(random), centre.y + 0.1f * spread(random),
                               centre.z + 0.1f * spread(random)});
    if (t % 50 == 0) // some without area: a point twice, or three in a row
      positions.back() = t % 100 ? positions[static_cast<size_t>(first)]
                                 : Vec3{(positions[first].x + positions[first + 1].x) / 2,
                                        (positions[first].y + positions[first + 1].y) / 2,
                                        (positions[first].z + positions[first + 1].z) / 2};
    triangles.push_back(Triangle{{first, first + 1, first + 2}});
  }
  const TriangleTree tree(positions, triangles);
  for (int q = 0; q < 200; ++q) {
    const Vec3 p{1.5f * spread(random), 1.5f * spread(random), 1.5f * spread(random)};
    const SurfacePoint found = tree.closest(p);
    ASSERT_GE(found.triangle, 0);
    const Triangle& t = tree.triangle(found.triangle);
    const Vec3 &a = positions[t.corner[0]], &b = positions[t.corner[1]],
               &c = positions[t.corner[2]];
    EXPECT_NEAR(found.weight[0] + found.weight[1] + found.weight[2], 1.0, 1e-12);
    for (double w : found.weight)
      EXPECT_GE(w, -1e-12);
    EXPECT_NEAR(squaredDistance(p, a, b, c, found.weight), found.squaredDistance, 1e-12);
    double best = INFINITY;
    for (const Triangle& u : triangles)
      best = std::min(best, sampledDistance(p, positions[u.corner[0]], positions[u.corner[1]],
                                            positions[u.corner[2]]));
    // Sampling never beats the exact closest point, and comes within its grid of it.
    EXPECT_LE(found.squaredDistance, best + 1e-12) << q;
    EXPECT_GT(found.squaredDistance, best - 2e-4) << q;
  }
}

TEST(TriangleTree, AnEmptyOrUnusableSurfaceHasNoClosestPoint) {
  const std::vector<Vec3> positions{{0, 0, 0}, {1, 0, 0}, {NAN, 1, 0}};
  EXPECT_EQ(TriangleTree(positions, {}).closest(Vec3{0, 0, 1}).triangle, -1);
  EXPECT_EQ(TriangleTree(positions, {Triangle{{0, 1, 2}}}).closest(Vec3{0, 0, 1}).triangle, -1);
  EXPECT_EQ(TriangleTree(positions, {Triangle{{0, 1, 7}}}).closest(Vec3{0, 0, 1}).triangle, -1);
}

TEST(Triangulation, AConcaveFaceIsCoveredExactlyAndOnlyFromInside) {
  PolygonMesh mesh;
  // An arrow head pointing up, whose fan from the first point would leave the face.
  mesh.positions = {{0, 0, 0}, {2, 3, 0}, {4, 0, 0}, {2, 1, 0}};
  mesh.addFace({2, 1, 0, 3});
  // A comb: three teeth.
  const int first = 4;
  for (const Vec3& p : std::vector<Vec3>{{0, 10, 0},
                                         {5, 10, 0},
                                         {5, 12, 0},
                                         {4, 12, 0},
                                         {4, 11, 0},
                                         {3, 11, 0},
                                         {3, 12, 0},
                                         {2, 12, 0},
                                         {2, 11, 0},
                                         {1, 11, 0},
                                         {1, 12, 0},
                                         {0, 12, 0}})
    mesh.positions.push_back(p);
  std::vector<int> comb;
  for (int i = 0; i < 12; ++i)
    comb.push_back(first + i);
  mesh.addFace(comb);
  const std::vector<Triangle> triangles = triangulateFaces(mesh);
  ASSERT_EQ(triangles.size(), 2u + 10u);
  double arrow = 0, teeth = 0;
  for (size_t t = 0; t < triangles.size(); ++t) {
    const Triangle& tri = triangles[t];
    const double a = area(mesh.positions[tri.corner[0]], mesh.positions[tri.corner[1]],
                          mesh.positions[tri.corner[2]]);
    EXPECT_GT(a, 0) << "triangle " << t << " turns the wrong way or leaves the face";
    (t < 2 ? arrow : teeth) += a;
  }
  EXPECT_DOUBLE_EQ(arrow, 4.0);
  EXPECT_DOUBLE_EQ(teeth, 5 * 1 + 3 * 1);
}

TEST(Triangulation, LinesPointsAndFacesNamingMissingVerticesAreNoSurface) {
  PolygonMesh mesh;
  mesh.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  mesh.addFace({0, 1});
  mesh.addFace({2});
  mesh.addFace({0, 1, 9});
  mesh.addFace({0, -1, 2});
  mesh.addFace({});
  EXPECT_TRUE(triangulateFaces(mesh).empty());
  // Four points in a row have no ear: cut as a fan, never dropped.
  mesh.positions.push_back(Vec3{2, 0, 0});
  mesh.addFace({0, 1, 4, 1});
  EXPECT_EQ(triangulateFaces(mesh).size(), 2u);
}

TEST(EdgeGraph, FaceEdgesAndLinesJoinVerticesOnce) {
  PolygonMesh mesh;
  mesh.positions.assign(7, Vec3{0, 0, 0});
  mesh.positions[1] = Vec3{3, 4, 0};
  mesh.addFace({0, 1, 2, 3});
  mesh.addFace({0, 3, 2, 1}); // the same edges the other way round
  mesh.addFace({4, 5});
  mesh.addFace({6, 6, 0, 99}); // a repeated point joins nothing to itself; 99 is no vertex
  const EdgeGraph graph(mesh);
  EXPECT_EQ(std::vector<int>(graph.begin(0), graph.end(0)), (std::vector<int>{1, 3, 6}));
  EXPECT_EQ(std::vector<int>(graph.begin(4), graph.end(4)), (std::vector<int>{5}));
  EXPECT_EQ(std::vector<int>(graph.begin(6), graph.end(6)), (std::vector<int>{0}));
  EXPECT_DOUBLE_EQ(graph.meanEdgeLength(mesh.positions, 1), 5.0);
  EXPECT_DOUBLE_EQ(graph.meanEdgeLength(mesh.positions, 0), 5.0 / 3);
}

TEST(HarmonicFill, ReproducesALinearFieldInsideAGridAndLeavesUnanchoredPiecesAlone) {
  // A 12 x 12 grid: the rim fixed to a linear field, the inside free; one extra quad floats
  // free on its own, and one rim vertex takes no part.
  const int side = 12;
  PolygonMesh mesh;
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i)
      mesh.positions.push_back(Vec3{float(i), float(j), 0});
  for (int j = 0; j + 1 < side; ++j)
    for (int i = 0; i + 1 < side; ++i)
      mesh.addFace({j * side + i, j * side + i + 1, (j + 1) * side + i + 1, (j + 1) * side + i});
  const int island = static_cast<int>(mesh.positions.size());
  for (int k = 0; k < 4; ++k)
    mesh.positions.push_back(Vec3{50, 50, float(k)});
  mesh.addFace({island, island + 1, island + 2, island + 3});
  const EdgeGraph graph(mesh);
  std::vector<Role> roles(mesh.positions.size(), Role::Free);
  auto linear = [](float x, float y) { return Vec3{0.5f * x - 0.25f * y + 1, 2 * y, -x}; };
  std::vector<Vec3> values(mesh.positions.size(), Vec3{7, 7, 7});
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i)
      if (i == 0 || j == 0 || i == side - 1 || j == side - 1) {
        roles[static_cast<size_t>(j * side + i)] = Role::Fixed;
        values[static_cast<size_t>(j * side + i)] = linear(float(i), float(j));
      }
  roles[static_cast<size_t>(side - 1)] = Role::Outside;
  values[static_cast<size_t>(side - 1)] = Vec3{1000, 1000, 1000}; // must not be read
  const HarmonicFill fill(graph, roles);
  EXPECT_EQ(fill.anchored().size(), size_t((side - 2) * (side - 2)));
  fill.fill(values);
  for (int j = 1; j + 1 < side; ++j)
    for (int i = 1; i + 1 < side; ++i) {
      const Vec3 want = linear(float(i), float(j)), got = values[static_cast<size_t>(j * side + i)];
      EXPECT_NEAR(got.x, want.x, 1e-4) << i << "," << j;
      EXPECT_NEAR(got.y, want.y, 1e-4) << i << "," << j;
      EXPECT_NEAR(got.z, want.z, 1e-4) << i << "," << j;
    }
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(values[static_cast<size_t>(island + k)].x, 7.0f);
}
