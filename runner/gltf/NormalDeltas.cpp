#include "NormalDeltas.h"

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

namespace runner {

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
  base_ = normals(nullptr);
}

std::vector<float> NormalDeltas::normals(const std::vector<float>* deltas) const {
  std::vector<float> sums(groups_ * 3, 0.0f);
  auto position = [&](std::uint32_t v, float* p) {
    for (size_t c = 0; c < 3; ++c)
      p[c] = mesh_.positions[v * 3 + c] + (deltas ? (*deltas)[v * 3 + c] : 0.0f);
  };
  const size_t triangles = mesh_.triangleMaterials.size();
  for (size_t t = 0; t < triangles; ++t) {
    float a[3], b[3], c[3];
    const std::uint32_t* corner = &mesh_.triangles[t * 3];
    position(corner[0], a);
    position(corner[1], b);
    position(corner[2], c);
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                        u[0] * w[1] - u[1] * w[0]};
    for (size_t k = 0; k < 3; ++k)
      for (size_t i = 0; i < 3; ++i)
        sums[static_cast<size_t>(groupOf_[corner[k]]) * 3 + i] += n[i];
  }
  std::vector<float> out(mesh_.positions.size(), 0.0f);
  for (size_t v = 0; v < groupOf_.size(); ++v) {
    const float* s = &sums[static_cast<size_t>(groupOf_[v]) * 3];
    const float length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (length > 0.0f)
      for (size_t i = 0; i < 3; ++i)
        out[v * 3 + i] = s[i] / length;
  }
  return out;
}

std::vector<float> NormalDeltas::deltas(const std::vector<float>& positionDeltas) const {
  std::vector<float> morphed = normals(&positionDeltas);
  for (size_t i = 0; i < morphed.size(); ++i)
    morphed[i] -= base_[i];
  return morphed;
}

} // namespace runner
