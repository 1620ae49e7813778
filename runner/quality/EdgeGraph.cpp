#include "EdgeGraph.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quality {

EdgeGraph::EdgeGraph(const PolygonMesh& mesh) {
  const int n = static_cast<int>(mesh.positions.size());
  std::vector<std::pair<int, int>> ends;
  auto join = [&](int a, int b) {
    if (a >= 0 && b >= 0 && a < n && b < n && a != b) {
      ends.emplace_back(a, b);
      ends.emplace_back(b, a);
    }
  };
  for (size_t f = 0; f < mesh.faceCount(); ++f) {
    const int* points = mesh.facePoints(f);
    const size_t count = mesh.pointCount(f);
    if (count == 2)
      join(points[0], points[1]);
    else if (count >= 3)
      for (size_t i = 0; i < count; ++i)
        join(points[i], points[(i + 1) % count]);
  }
  std::sort(ends.begin(), ends.end());
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  start_.assign(static_cast<size_t>(n) + 1, 0);
  for (const auto& [from, to] : ends)
    ++start_[static_cast<size_t>(from) + 1];
  for (size_t v = 0; v < static_cast<size_t>(n); ++v)
    start_[v + 1] += start_[v];
  neighbours_.reserve(ends.size());
  for (const auto& end : ends)
    neighbours_.push_back(end.second);
}

double EdgeGraph::meanEdgeLength(const std::vector<Vec3>& positions, int v) const {
  if (degree(v) == 0)
    return 0;
  const Vec3& p = positions[static_cast<size_t>(v)];
  double sum = 0;
  for (const int* u = begin(v); u != end(v); ++u) {
    const Vec3& q = positions[static_cast<size_t>(*u)];
    const double dx = double(p.x) - q.x, dy = double(p.y) - q.y, dz = double(p.z) - q.z;
    sum += std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  return sum / static_cast<double>(degree(v));
}

} // namespace quality
