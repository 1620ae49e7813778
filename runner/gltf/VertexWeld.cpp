#include "VertexWeld.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

namespace runner {

namespace {

// Normals at most this far apart (cosine of 60 degrees) face the same way.
const float kSameFacing = 0.5f;

std::uint32_t bitsOf(float value) {
  if (value == 0.0f)
    value = 0.0f; // one zero for both signs
  std::uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

class WeldKey {
public:
  explicit WeldKey(const MeshGeometry& mesh) : mesh_(mesh) {}

  std::uint64_t hash(size_t v) const {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&](float f) { h = (h ^ bitsOf(f)) * 1099511628211ull; };
    for (size_t c = 0; c < 3; ++c)
      mix(mesh_.positions[v * 3 + c]);
    for (const MorphTarget& t : mesh_.targets)
      for (size_t c = 0; c < 3; ++c)
        mix(t.positions[v * 3 + c]);
    return h;
  }

  bool equal(size_t a, size_t b) const {
    for (size_t c = 0; c < 3; ++c)
      if (bitsOf(mesh_.positions[a * 3 + c]) != bitsOf(mesh_.positions[b * 3 + c]))
        return false;
    for (const MorphTarget& t : mesh_.targets)
      for (size_t c = 0; c < 3; ++c)
        if (bitsOf(t.positions[a * 3 + c]) != bitsOf(t.positions[b * 3 + c]))
          return false;
    return sameFacing(a, b);
  }

private:
  bool sameFacing(size_t a, size_t b) const {
    const float* n = &mesh_.normals[a * 3];
    const float* m = &mesh_.normals[b * 3];
    const float nn = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    const float mm = m[0] * m[0] + m[1] * m[1] + m[2] * m[2];
    if (!(nn > 0.0f) || !(mm > 0.0f))
      return true; // no usable normal: position and deltas decide
    const float dot = n[0] * m[0] + n[1] * m[1] + n[2] * m[2];
    return dot >= kSameFacing * std::sqrt(nn) * std::sqrt(mm);
  }

  const MeshGeometry& mesh_;
};

} // namespace

VertexWeld weldVertices(const MeshGeometry& mesh) {
  const size_t count = mesh.vertexCount();
  const WeldKey key(mesh);
  VertexWeld weld;
  weld.hostOf.resize(count);
  std::unordered_map<std::uint64_t, std::vector<int>> buckets;
  buckets.reserve(count);
  for (size_t v = 0; v < count; ++v) {
    std::vector<int>& candidates = buckets[key.hash(v)];
    int host = -1;
    for (int h : candidates)
      if (key.equal(weld.firstOf[static_cast<size_t>(h)], v)) {
        host = h;
        break;
      }
    if (host < 0) {
      host = weld.hostCount();
      weld.firstOf.push_back(static_cast<std::uint32_t>(v));
      candidates.push_back(host);
    }
    weld.hostOf[v] = host;
  }
  return weld;
}

} // namespace runner
