#include "NormalDeltas.h"

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

namespace runner {

// visit(add) calls add(item, entry) for every entry, in the order the lists keep them.
template <typename Visit> NormalDeltas::Lists NormalDeltas::listsOf(size_t items, Visit visit) {
  Lists lists;
  lists.start.assign(items + 1, 0);
  visit([&](size_t item, int) { ++lists.start[item + 1]; });
  for (size_t i = 1; i <= items; ++i)
    lists.start[i] += lists.start[i - 1];
  lists.entries.resize(lists.start[items]);
  std::vector<size_t> fill(lists.start.begin(), lists.start.end() - 1);
  visit([&](size_t item, int entry) { lists.entries[fill[item]++] = entry; });
  return lists;
}

NormalDeltas::NormalDeltas(const MeshGeometry& mesh, const VertexWeld& weld) : mesh_(mesh) {
  std::map<std::tuple<int, std::uint32_t, std::uint32_t, std::uint32_t>, int> groups;
  groupOf_.resize(mesh.vertexCount());
  for (size_t v = 0; v < groupOf_.size(); ++v) {
    std::uint32_t n[3];
    std::memcpy(n, &mesh.normals[v * 3], 12);
    const auto key = std::make_tuple(weld.hostOf[v], n[0], n[1], n[2]);
    const auto it = groups.emplace(key, static_cast<int>(groups.size())).first;
    groupOf_[v] = it->second;
  }
  groups_ = groups.size();
  const size_t triangles = mesh.triangleMaterials.size();
  const auto eachCorner = [&](auto add) {
    for (size_t t = 0; t < triangles; ++t)
      for (size_t k = 0; k < 3; ++k)
        add(mesh.triangles[t * 3 + k], static_cast<int>(t));
  };
  trianglesOfGroup_ = listsOf(groups_, [&](auto add) {
    eachCorner([&](std::uint32_t v, int t) { add(static_cast<size_t>(groupOf_[v]), t); });
  });
  verticesOfGroup_ = listsOf(groups_, [&](auto add) {
    for (size_t v = 0; v < groupOf_.size(); ++v)
      add(static_cast<size_t>(groupOf_[v]), static_cast<int>(v));
  });
  baseTriangles_.resize(triangles * 3);
  for (size_t t = 0; t < triangles; ++t)
    triangleNormal(t, nullptr, &baseTriangles_[t * 3]);
  base_.assign(mesh.positions.size(), 0.0f);
  for (size_t g = 0; g < groups_; ++g)
    groupNormal(g, baseTriangles_, base_.data());
}

void NormalDeltas::triangleNormal(size_t t, const std::vector<float>* deltas, float* normal) const {
  float p[3][3];
  for (size_t k = 0; k < 3; ++k) {
    const size_t v = mesh_.triangles[t * 3 + k];
    for (size_t c = 0; c < 3; ++c)
      p[k][c] = mesh_.positions[v * 3 + c] + (deltas ? (*deltas)[v * 3 + c] : 0.0f);
  }
  const float u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
  const float w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
  normal[0] = u[1] * w[2] - u[2] * w[1];
  normal[1] = u[2] * w[0] - u[0] * w[2];
  normal[2] = u[0] * w[1] - u[1] * w[0];
}

void NormalDeltas::groupNormal(size_t g, const std::vector<float>& triangleNormals,
                               float* out) const {
  float s[3] = {0.0f, 0.0f, 0.0f};
  for (const int* t = trianglesOfGroup_.begin(g); t != trianglesOfGroup_.end(g); ++t)
    for (size_t i = 0; i < 3; ++i)
      s[i] += triangleNormals[static_cast<size_t>(*t) * 3 + i];
  const float length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
  for (const int* v = verticesOfGroup_.begin(g); v != verticesOfGroup_.end(g); ++v)
    for (size_t i = 0; i < 3; ++i)
      out[static_cast<size_t>(*v) * 3 + i] = length > 0.0f ? s[i] / length : 0.0f;
}

std::vector<float> NormalDeltas::deltas(const std::vector<float>& positionDeltas) const {
  // A vertex moves with any delta bits set: a delta of -0 too, since -0 + -0 is not +0.
  std::vector<char> movedVertex(groupOf_.size());
  for (size_t v = 0; v < movedVertex.size(); ++v) {
    std::uint32_t bits[3];
    std::memcpy(bits, &positionDeltas[v * 3], 12);
    movedVertex[v] = (bits[0] | bits[1] | bits[2]) != 0;
  }
  std::vector<float> triangleNormals = baseTriangles_;
  std::vector<char> movedGroup(groups_, 0);
  for (size_t t = 0; t < baseTriangles_.size() / 3; ++t) {
    const std::uint32_t* corner = &mesh_.triangles[t * 3];
    if (!movedVertex[corner[0]] && !movedVertex[corner[1]] && !movedVertex[corner[2]])
      continue;
    triangleNormal(t, &positionDeltas, &triangleNormals[t * 3]);
    for (size_t k = 0; k < 3; ++k)
      movedGroup[static_cast<size_t>(groupOf_[corner[k]])] = 1;
  }
  std::vector<float> morphed = base_;
  for (size_t g = 0; g < groups_; ++g)
    if (movedGroup[g])
      groupNormal(g, triangleNormals, morphed.data());
  for (size_t i = 0; i < morphed.size(); ++i)
    morphed[i] -= base_[i];
  return morphed;
}

} // namespace runner
