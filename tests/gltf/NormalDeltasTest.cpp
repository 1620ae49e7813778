// NORMAL deltas of a morph: only what the morph moves is computed anew, and the result is the
// same bits as one pass over every triangle of the morphed mesh, which is what this test holds it
// to, on a mesh with a UV seam and a hard edge, for morphs that move a part, move nothing, move
// everything, or carry deltas of -0.
#include "NormalDeltas.h"
#include "GltfMesh.h"
#include "VertexWeld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <tuple>

namespace {

// A bumpy grid of n x n quads; the column at x = n/2 is split by a UV seam (same positions and
// normals, welded) and the last row by a hard edge (normals turned away, kept apart).
runner::MeshGeometry grid(int n) {
  runner::MeshGeometry m;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> bump(-0.2f, 0.2f);
  std::vector<float> heights(static_cast<size_t>((n + 1) * (n + 1)));
  // Bumps, and a flat strip of -0 heights along y = 0 (-0 + -0 is -0, but -0 + 0 is 0).
  for (size_t k = 0; k < heights.size(); ++k)
    heights[k] = static_cast<int>(k) < 4 * (n + 1) ? -0.0f : bump(random);
  const auto add = [&](int i, int j, float nz) {
    m.positions.insert(m.positions.end(), {float(i), float(j), heights[size_t(j * (n + 1) + i)]});
    m.normals.insert(m.normals.end(), {0.0f, nz < 0 ? 1.0f : 0.0f, nz < 0 ? 0.0f : nz});
    m.uvs.insert(m.uvs.end(), {0.0f, 0.0f});
    return static_cast<std::uint32_t>(m.vertexCount() - 1);
  };
  std::map<std::tuple<int, int, int>, std::uint32_t> made;
  const auto vertex = [&](int i, int j, int side) {
    const int copy = (i == n / 2 && side) ? 1 : 0;
    const float nz = j == n ? -1.0f : 1.0f;
    const auto key = std::make_tuple(i, j, copy);
    auto it = made.find(key);
    if (it == made.end())
      it = made.emplace(key, add(i, j, nz)).first;
    return it->second;
  };
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int side = i >= n / 2 ? 1 : 0;
      const std::uint32_t a = vertex(i, j, side), b = vertex(i + 1, j, side),
                          c = vertex(i + 1, j + 1, side), d = vertex(i, j + 1, side);
      m.triangles.insert(m.triangles.end(), {a, b, c, a, c, d});
      m.triangleMaterials.insert(m.triangleMaterials.end(), {-1, -1});
    }
  return m;
}

// The normals of every vertex from one pass over every triangle.
std::vector<float> normalsByOnePass(const runner::MeshGeometry& m, const runner::VertexWeld& weld,
                                    const std::vector<float>* deltas) {
  std::map<std::tuple<int, std::uint32_t, std::uint32_t, std::uint32_t>, int> groups;
  std::vector<int> group(m.vertexCount());
  for (size_t v = 0; v < group.size(); ++v) {
    std::uint32_t bits[3];
    std::memcpy(bits, &m.normals[v * 3], 12);
    group[v] = groups
                   .emplace(std::make_tuple(weld.hostOf[v], bits[0], bits[1], bits[2]),
                            static_cast<int>(groups.size()))
                   .first->second;
  }
  std::vector<float> sums(groups.size() * 3, 0.0f);
  for (size_t t = 0; t < m.triangleMaterials.size(); ++t) {
    float p[3][3];
    for (size_t k = 0; k < 3; ++k)
      for (size_t c = 0; c < 3; ++c) {
        const size_t v = m.triangles[t * 3 + k];
        p[k][c] = m.positions[v * 3 + c] + (deltas ? (*deltas)[v * 3 + c] : 0.0f);
      }
    const float u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const float w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const float normal[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                             u[0] * w[1] - u[1] * w[0]};
    for (size_t k = 0; k < 3; ++k)
      for (size_t i = 0; i < 3; ++i)
        sums[size_t(group[m.triangles[t * 3 + k]]) * 3 + i] += normal[i];
  }
  std::vector<float> out(m.positions.size(), 0.0f);
  for (size_t v = 0; v < group.size(); ++v) {
    const float* s = &sums[size_t(group[v]) * 3];
    const float length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (length > 0.0f)
      for (size_t i = 0; i < 3; ++i)
        out[v * 3 + i] = s[i] / length;
  }
  return out;
}

void expectSameBits(const std::vector<float>& a, const std::vector<float>& b) {
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0);
}

TEST(NormalDeltas, SameBitsAsOnePassOverEveryTriangle) {
  const runner::MeshGeometry m = grid(12);
  const runner::VertexWeld weld = runner::weldVertices(m);
  ASSERT_LT(weld.hostCount(), static_cast<int>(m.vertexCount())) << "the seam welds";
  const runner::NormalDeltas normals(m, weld);
  const std::vector<float> base = normalsByOnePass(m, weld, nullptr);
  std::mt19937 random(11);
  std::uniform_real_distribution<float> offset(-0.3f, 0.3f);
  const size_t n = m.positions.size();
  std::vector<std::vector<float>> morphs(4, std::vector<float>(n, 0.0f));
  for (size_t i = 0; i < n / 3; ++i) // a corner of the grid, across the seam
    morphs[0][i] = offset(random);
  for (float& d : morphs[2]) // everything
    d = offset(random);
  for (size_t v = 0; v < n / 3; v += 2) // -0 on every other height
    morphs[3][v * 3 + 2] = -0.0f;
  for (const std::vector<float>& deltas : morphs) {
    std::vector<float> expected = normalsByOnePass(m, weld, &deltas);
    for (size_t i = 0; i < n; ++i)
      expected[i] -= base[i];
    expectSameBits(normals.deltas(deltas), expected);
  }
  const std::vector<float> still = normals.deltas(morphs[1]);
  for (float d : still)
    EXPECT_EQ(d, 0.0f) << "a morph that moves nothing turns no normal";
}

} // namespace
