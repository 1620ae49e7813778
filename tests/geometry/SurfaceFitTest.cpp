// The fit of the Source morph round a closest point: quadratic morphs reproduced exactly where
// the blend misses them, exact at the Source vertices, taken only by vertices on the fitted
// surface, refused where no fit is sound, and never an offset its neighbourhood does not have,
// whatever the morph; no NaN from coincident or degenerate geometry.
#include "SurfaceFit.h"
#include "SurfaceOffsets.h"
#include "TriangleTree.h"
#include "Triangulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

using namespace quality;

namespace {

using Height = std::function<double(double, double)>;

// A side x side grid of quads with the given spacing, each point moved along the plane by up to
// jitter spacings and lifted to the height field.
PolygonMesh grid(int side, double spacing, double jitter, const Height& height) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> spread(-jitter, jitter);
  PolygonMesh mesh;
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      const double x = (i + spread(random)) * spacing, y = (j + spread(random)) * spacing;
      mesh.positions.push_back(Vec3{float(x), float(y), float(height(x, y))});
    }
  for (int j = 0; j + 1 < side; ++j)
    for (int i = 0; i + 1 < side; ++i)
      mesh.addFace({j * side + i, j * side + i + 1, (j + 1) * side + i + 1, (j + 1) * side + i});
  return mesh;
}

double flat(double, double) {
  return 0;
}

// A mesh with its triangles, the closest-point tree over them and the fit.
struct Surface {
  PolygonMesh mesh;
  std::vector<Triangle> triangles;
  TriangleTree tree;
  SurfaceFit fit;
  FitSystem system{}; // of the last stencil

  explicit Surface(PolygonMesh m)
      : mesh(std::move(m)), triangles(triangulateFaces(mesh)), tree(mesh.positions, triangles),
        fit(mesh.positions, triangles) {}

  // The stencil for a vertex at p, and the closest point's triangle and weights.
  bool stencilAt(const Vec3& p, std::vector<StencilEntry>& entries, SurfacePoint& on) {
    on = tree.closest(p);
    entries.clear();
    return on.triangle >= 0 &&
           fit.stencil(tree.triangle(on.triangle), on.weight, p, entries, system);
  }
};

template <typename Field> std::vector<Vec3> offsetsOf(const PolygonMesh& mesh, const Field& field) {
  std::vector<Vec3> offsets;
  for (const Vec3& p : mesh.positions)
    offsets.push_back(field(p.x, p.y));
  return offsets;
}

Vec3 blendOf(const Surface& s, const SurfacePoint& on, const std::vector<Vec3>& offsets) {
  double sum[3] = {0, 0, 0};
  for (int c = 0; c < 3; ++c) {
    const Vec3& o = offsets[static_cast<size_t>(s.tree.triangle(on.triangle).corner[c])];
    sum[0] += on.weight[c] * o.x, sum[1] += on.weight[c] * o.y, sum[2] += on.weight[c] * o.z;
  }
  return Vec3{float(sum[0]), float(sum[1]), float(sum[2])};
}

Vec3 limited(const Surface& s, const std::vector<StencilEntry>& entries,
             const std::vector<Vec3>& offsets, const Vec3& linear) {
  return SurfaceFit::limitedValue(entries.data(), entries.data() + entries.size(), s.system,
                                  offsets.data(), linear);
}

bool same(const Vec3& a, const Vec3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

TEST(SurfaceFit, ReproducesAQuadraticMorphWhereTheBlendMissesIt) {
  Surface s(grid(12, 0.1, 0.3, flat));
  auto field = [](double x, double y) {
    return Vec3{float(0.2 * x * x - 0.1 * x * y + 0.05), float(0.3 * y * y + 0.2 * x),
                float(0.1 * x + 0.4 * x * y)};
  };
  const std::vector<Vec3> offsets = offsetsOf(s.mesh, field);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> inside(0.3, 0.8);
  double blendError = 0, fitError = 0;
  for (int q = 0; q < 200; ++q) {
    const Vec3 p{float(inside(random)), float(inside(random)), 0};
    std::vector<StencilEntry> entries;
    SurfacePoint on;
    ASSERT_TRUE(s.stencilAt(p, entries, on)) << q;
    double total = 0, value[3] = {0, 0, 0};
    for (const StencilEntry& e : entries) {
      const Vec3& o = offsets[static_cast<size_t>(e.vertex)];
      total += e.weight;
      value[0] += e.weight * o.x, value[1] += e.weight * o.y, value[2] += e.weight * o.z;
    }
    EXPECT_NEAR(total, 1.0, 1e-12);
    const Vec3 want = field(p.x, p.y), blend = blendOf(s, on, offsets);
    const Vec3 got = limited(s, entries, offsets, blend);
    const double w[3] = {want.x, want.y, want.z}, b[3] = {blend.x, blend.y, blend.z};
    const double g[3] = {got.x, got.y, got.z};
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(value[k], w[k], 1e-6) << q; // float offsets, float positions
      EXPECT_NEAR(g[k], w[k], 1e-6) << q;     // and the limit leaves a smooth morph alone
      fitError = std::max(fitError, std::fabs(g[k] - w[k]));
      blendError = std::max(blendError, std::fabs(b[k] - w[k]));
    }
  }
  EXPECT_GT(blendError, 100 * fitError);
}

TEST(SurfaceFit, IsTheSourceVertexItselfAtASourceVertex) {
  Surface s(grid(10, 0.1, 0.3, [](double x, double y) { return 0.5 * x * x - 0.3 * y * y; }));
  const std::vector<Vec3> offsets = offsetsOf(s.mesh, [](double x, double y) {
    return Vec3{float(x * y), float(y), 1};
  });
  for (int v : {33, 44, 56}) {
    std::vector<StencilEntry> entries;
    SurfacePoint on;
    ASSERT_TRUE(s.stencilAt(s.mesh.positions[static_cast<size_t>(v)], entries, on)) << v;
    for (const StencilEntry& e : entries)
      EXPECT_EQ(e.weight, e.vertex == v ? 1.0 : 0.0) << v << " " << e.vertex;
    const Vec3 blend = blendOf(s, on, offsets);
    EXPECT_TRUE(same(limited(s, entries, offsets, blend), offsets[static_cast<size_t>(v)])) << v;
  }
}

TEST(SurfaceFit, OnACurvedSurfaceOnlyVerticesOnTheFittedSurfaceTakeTheFit) {
  const double h = 0.1;
  auto bowl = [](double x, double y) { return 0.8 * (x * x + y * y); };
  Surface s(grid(12, h, 0, bowl));
  std::vector<StencilEntry> entries;
  SurfacePoint on;
  const double x = 0.55, y = 0.45; // the middle of a triangle's edge, whose chord is above the bowl
  const double chord = 0.5 * (bowl(0.5, 0.4) + bowl(0.6, 0.5));
  // On the bowl itself: the fit, which differs from the blend; beyond it, a little farther from
  // the chord: still the fit.
  for (double z : {bowl(x, y), bowl(x, y) - 0.002}) {
    ASSERT_TRUE(s.stencilAt(Vec3{float(x), float(y), float(z)}, entries, on)) << z;
    EXPECT_GT(entries.size(), 3u);
  }
  // On the chord, above it, and half a spacing off the bowl either way: the blend.
  for (double z : {chord, chord + 0.004, bowl(x, y) + h / 2, bowl(x, y) - h / 2}) {
    EXPECT_FALSE(s.stencilAt(Vec3{float(x), float(y), float(z)}, entries, on)) << z;
    EXPECT_TRUE(entries.empty());
  }
}

TEST(SurfaceFit, KeepsTheBlendWhereNoFitIsSound) {
  std::vector<StencilEntry> entries;
  SurfacePoint on;
  const double weight[3] = {0.2, 0.3, 0.5};
  // A lone triangle: too few points. A triangle without area.
  {
    PolygonMesh mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}};
    mesh.addFace({0, 1, 2});
    mesh.addFace({0, 1, 3});
    Surface s(mesh);
    EXPECT_FALSE(
        s.fit.stencil(Triangle{{0, 1, 2}}, weight, Vec3{0.3f, 0.5f, 0}, entries, s.system));
    EXPECT_FALSE(s.fit.stencil(Triangle{{0, 1, 3}}, weight, Vec3{1, 0, 0}, entries, s.system));
  }
  // A thin fin: the surface folds back on itself within a ring of the triangle.
  {
    PolygonMesh mesh = grid(8, 0.1, 0, flat);
    mesh.positions[3 * 8 + 4].z = 2;
    Surface s(mesh);
    EXPECT_FALSE(s.stencilAt(Vec3{0.32f, 0.33f, 0}, entries, on));
  }
  // A neighbour that is no finite point (its own triangles are left out of the tree).
  {
    PolygonMesh mesh = grid(8, 0.1, 0, flat);
    mesh.positions[3 * 8 + 5].x = NAN;
    Surface s(mesh);
    EXPECT_FALSE(s.stencilAt(Vec3{0.32f, 0.33f, 0}, entries, on));
  }
  EXPECT_TRUE(entries.empty());
}

TEST(SurfaceFit, CoincidentAndDegenerateGeometryNeverGivesNaN) {
  // Vertices doubled at the same places (a welded seam's two sides, one of them split off), a
  // collapsed quad, and points asked about on them.
  PolygonMesh mesh = grid(9, 0.1, 0.2, [](double x, double y) { return 0.3 * x * y; });
  const int twin = static_cast<int>(mesh.positions.size());
  mesh.positions.push_back(mesh.positions[40]);
  mesh.positions.push_back(mesh.positions[41]);
  mesh.addFace({40, 41, twin + 1, twin});
  mesh.positions[22] = mesh.positions[23] = mesh.positions[31] = mesh.positions[32];
  Surface s(mesh);
  const std::vector<Vec3> offsets = offsetsOf(s.mesh, [](double x, double y) {
    return Vec3{float(x), float(y * y), 0.5f};
  });
  std::vector<StencilEntry> entries;
  SurfacePoint on;
  for (int v : {22, 31, 40, 41, twin, twin + 1, 50}) {
    if (!s.stencilAt(s.mesh.positions[static_cast<size_t>(v)], entries, on))
      continue;
    for (const StencilEntry& e : entries)
      EXPECT_TRUE(std::isfinite(e.weight)) << v;
    const Vec3 value = limited(s, entries, offsets, blendOf(s, on, offsets));
    EXPECT_TRUE(std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z)) << v;
  }
  // Every vertex in one place: no triangle has area, no stencil.
  PolygonMesh point = grid(6, 0.1, 0, flat);
  for (Vec3& p : point.positions)
    p = Vec3{1, 2, 3};
  Surface collapsed(point);
  EXPECT_FALSE(collapsed.stencilAt(Vec3{1, 2, 3}, entries, on));
}

// No offset longer than the neighbourhood's longest, none outside its range on any axis, for
// any morph: random ones, spikes, steps. A NaN in the neighbourhood gives the blend.
TEST(SurfaceFit, TheLimitedValueNeverLeavesTheNeighbourhoodsOffsets) {
  auto height = [](double x, double y) { return 0.4 * std::sin(3 * x) * y; };
  Surface s(grid(12, 0.1, 0.3, height));
  std::mt19937 random(5);
  std::uniform_real_distribution<float> spread(-1, 1);
  std::uniform_real_distribution<double> inside(0.2, 0.9);
  int fitted = 0;
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<Vec3> offsets(s.mesh.positions.size());
    for (size_t v = 0; v < offsets.size(); ++v) {
      const Vec3& p = s.mesh.positions[v];
      switch (trial % 3) {
      case 0: // noise
        offsets[v] = Vec3{spread(random), spread(random), spread(random)};
        break;
      case 1: // a smooth morph with spikes
        offsets[v] = Vec3{p.x * p.y, 0.2f * p.x, v % 17 == 0 ? 5.0f : 0.1f};
        break;
      default: // a step across a random line
        offsets[v] =
            p.x + 0.3f * p.y > 0.3f * float(trial % 7) ? Vec3{0.3f, -0.2f, 0.1f} : Vec3{0, 0, 0};
      }
    }
    std::vector<StencilEntry> entries;
    SurfacePoint on;
    const double x = inside(random), y = inside(random);
    if (!s.stencilAt(Vec3{float(x), float(y), float(height(x, y))}, entries, on))
      continue;
    const Vec3 blend = blendOf(s, on, offsets), value = limited(s, entries, offsets, blend);
    fitted += !same(value, blend);
    double longest = 0;
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const StencilEntry& e : entries) {
      const Vec3& o = offsets[static_cast<size_t>(e.vertex)];
      const float a[3] = {o.x, o.y, o.z};
      for (int k = 0; k < 3; ++k)
        low[k] = std::min(low[k], a[k]), high[k] = std::max(high[k], a[k]);
      longest = std::max(longest, double(o.x) * o.x + double(o.y) * o.y + double(o.z) * o.z);
    }
    const float got[3] = {value.x, value.y, value.z};
    EXPECT_LE(double(value.x) * value.x + double(value.y) * value.y + double(value.z) * value.z,
              longest * (1 + 1e-6))
        << trial;
    for (int k = 0; k < 3; ++k) {
      EXPECT_GE(got[k], low[k]) << trial;
      EXPECT_LE(got[k], high[k]) << trial;
    }
    offsets[static_cast<size_t>(entries.back().vertex)].y = NAN;
    EXPECT_TRUE(same(limited(s, entries, offsets, blend), blend)) << trial;
  }
  EXPECT_GT(fitted, 20); // the limit lets smooth morphs through
}

double squaredDistance(const Vec3& a, const Vec3& b) {
  return std::pow(double(a.x) - b.x, 2) + std::pow(double(a.y) - b.y, 2) +
         std::pow(double(a.z) - b.z, 2);
}

// A morph cut sharply across the surface (at x = 0.655), and one with a crease (along x = 0.67):
// where the triangle straddles the cut the vertex keeps the blend exactly; over all, neither
// comes out farther from the morph than the blend; away from them, where the morph is smooth,
// the fit is taken.
TEST(SurfaceFit, AMorphCutOrCreasedIsNoFartherFromTheMorphThanTheBlend) {
  auto height = [](double x, double y) { return 0.3 * x * x + 0.2 * y; };
  Surface s(grid(14, 0.1, 0.2, height));
  auto smooth = [](double x, double y) {
    return Vec3{float(0.2 * x * y), float(0.1 * y * y - 0.1 * x), float(0.05 * x * x)};
  };
  auto cut = [&](double x, double y) {
    const Vec3 g = smooth(x, y);
    return x > 0.655 ? Vec3{g.x + 0.3f, g.y - 0.2f, g.z + 0.1f} : g;
  };
  auto crease = [&](double x, double y) {
    const float r = float(std::fmax(0.0, 1 - std::fabs(x - 0.67) / 0.3));
    const Vec3 g = smooth(x, y);
    return Vec3{g.x + 0.1f * r, g.y + 0.2f * r, g.z + 0.3f * r};
  };
  auto side = [&](int corner) { return s.mesh.positions[static_cast<size_t>(corner)].x > 0.655; };
  for (int which = 0; which < 2; ++which) {
    auto field = [&](double x, double y) { return which == 0 ? cut(x, y) : crease(x, y); };
    const std::vector<Vec3> offsets = offsetsOf(s.mesh, field);
    double fitError = 0, blendError = 0;
    int far = 0, farFitted = 0;
    for (double x = 0.305; x < 1.0; x += 0.02)
      for (double y = 0.305; y < 1.0; y += 0.07) {
        std::vector<StencilEntry> entries;
        SurfacePoint on;
        const Vec3 p{float(x), float(y), float(height(x, y))};
        if (!s.stencilAt(p, entries, on))
          continue;
        const Vec3 blend = blendOf(s, on, offsets), value = limited(s, entries, offsets, blend);
        fitError += squaredDistance(value, field(p.x, p.y));
        blendError += squaredDistance(blend, field(p.x, p.y));
        const int* corner = s.tree.triangle(on.triangle).corner;
        const bool straddles =
            side(corner[0]) != side(corner[1]) || side(corner[0]) != side(corner[2]);
        if (which == 0 && straddles) {
          EXPECT_TRUE(same(value, blend)) << x << ", " << y;
        }
        if (std::fabs(x - 0.66) > 0.3)
          ++far, farFitted += !same(value, blend);
      }
    // Beside the cut (the triangle on one side, some neighbours on the other) the fit may lean
    // towards the far side by a little: no farther over all than a thousandth.
    EXPECT_LE(fitError, blendError * 1.001) << which;
    EXPECT_GT(farFitted, far / 2) << which;
  }
}

// Through the plan: vertices added on a curved Source with coincident and collapsed parts, for
// an element with fewer offsets than the Source has vertices.
TEST(SurfaceOffsets, FitsWhereSoundAndGivesFiniteOffsetsEverywhere) {
  PolygonMesh source = grid(9, 0.1, 0.2, [](double x, double y) { return 0.5 * x * y; });
  source.positions[22] = source.positions[23];
  PolygonMesh destination = source;
  std::vector<int> sourceVertex(source.positions.size());
  for (size_t v = 0; v < sourceVertex.size(); ++v)
    sourceVertex[v] = static_cast<int>(v);
  for (int v : {22, 23, 40, 41, 60}) { // a new vertex at a Source vertex, and between two
    destination.positions.push_back(source.positions[static_cast<size_t>(v)]);
    const Vec3 &a = source.positions[static_cast<size_t>(v)],
               &b = source.positions[static_cast<size_t>(v + 1)];
    destination.positions.push_back(Vec3{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2});
    destination.addFace({v, static_cast<int>(destination.positions.size()) - 2,
                         static_cast<int>(destination.positions.size()) - 1});
  }
  sourceVertex.resize(destination.positions.size(), -1);
  std::vector<char> added(destination.positions.size(), 0);
  for (size_t v = source.positions.size(); v < added.size(); ++v)
    added[v] = 1;
  const SurfaceOffsets plan(AddedVertexQuestion{source, destination, sourceVertex, added});
  std::vector<Vec3> offsets(source.positions.size() - 20, Vec3{0.1f, 0.2f, 0.3f}), out;
  plan.offsetsFor(offsets, out);
  ASSERT_EQ(plan.vertices().size(), 10u);
  for (size_t i = 0; i < plan.vertices().size(); ++i) {
    EXPECT_EQ(plan.origin(i), OffsetOrigin::Surface) << i;
    const Vec3& o = out[static_cast<size_t>(plan.vertices()[i])];
    EXPECT_TRUE(std::isfinite(o.x) && std::isfinite(o.y) && std::isfinite(o.z)) << i;
    EXPECT_LE(o.z, 0.3f) << i;
  }
}
