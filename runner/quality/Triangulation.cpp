#include "Triangulation.h"

#include <cmath>

namespace quality {

namespace {

// Ear clipping costs the cube of the point count at worst; larger faces are cut as fans.
const size_t kLargestClippedFace = 64;

struct Flat {
  double u, v;
};

double cross(const Flat& a, const Flat& b, const Flat& c) {
  return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u);
}

bool inside(const Flat& p, const Flat& a, const Flat& b, const Flat& c) {
  return cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0;
}

void fan(const int* points, size_t n, std::vector<Triangle>& out) {
  for (size_t i = 1; i + 1 < n; ++i)
    out.push_back(Triangle{{points[0], points[i], points[i + 1]}});
}

// The face's points in the plane that its (Newell) normal faces most, turning anticlockwise;
// false when the face has no direction to speak of.
bool flatten(const PolygonMesh& mesh, const int* points, size_t n, std::vector<Flat>& flat) {
  double normal[3] = {0, 0, 0};
  for (size_t i = 0; i < n; ++i) {
    const Vec3& a = mesh.positions[static_cast<size_t>(points[i])];
    const Vec3& b = mesh.positions[static_cast<size_t>(points[(i + 1) % n])];
    normal[0] += (double(a.y) - b.y) * (double(a.z) + b.z);
    normal[1] += (double(a.z) - b.z) * (double(a.x) + b.x);
    normal[2] += (double(a.x) - b.x) * (double(a.y) + b.y);
  }
  int axis = 0;
  for (int k = 1; k < 3; ++k)
    if (std::fabs(normal[k]) > std::fabs(normal[axis]))
      axis = k;
  if (!std::isfinite(normal[axis]) || normal[axis] == 0)
    return false;
  const int first = (axis + 1) % 3, second = (axis + 2) % 3;
  const double turn = normal[axis] > 0 ? 1.0 : -1.0;
  flat.clear();
  for (size_t i = 0; i < n; ++i) {
    const Vec3& p = mesh.positions[static_cast<size_t>(points[i])];
    const double c[3] = {p.x, p.y, p.z};
    flat.push_back(Flat{c[first], turn * c[second]});
  }
  return true;
}

// A corner is an ear when it turns left and no other remaining point lies in its triangle.
bool isEar(const std::vector<Flat>& flat, const std::vector<size_t>& left, size_t at) {
  const size_t n = left.size();
  const Flat& a = flat[left[(at + n - 1) % n]];
  const Flat& b = flat[left[at]];
  const Flat& c = flat[left[(at + 1) % n]];
  if (!(cross(a, b, c) > 0))
    return false;
  for (size_t k = 0; k < n; ++k) {
    const Flat& p = flat[left[k]];
    const bool corner =
        (p.u == a.u && p.v == a.v) || (p.u == b.u && p.v == b.v) || (p.u == c.u && p.v == c.v);
    if (!corner && inside(p, a, b, c))
      return false;
  }
  return true;
}

void clipEars(const int* points, const std::vector<Flat>& flat, std::vector<Triangle>& out) {
  std::vector<size_t> left(flat.size());
  for (size_t i = 0; i < left.size(); ++i)
    left[i] = i;
  while (left.size() > 3) {
    size_t at = 0;
    while (at < left.size() && !isEar(flat, left, at))
      ++at;
    if (at == left.size()) {
      std::vector<int> rest;
      for (size_t i : left)
        rest.push_back(points[i]);
      fan(rest.data(), rest.size(), out);
      return;
    }
    const size_t n = left.size();
    out.push_back(
        Triangle{{points[left[(at + n - 1) % n]], points[left[at]], points[left[(at + 1) % n]]}});
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(at));
  }
  out.push_back(Triangle{{points[left[0]], points[left[1]], points[left[2]]}});
}

} // namespace

std::vector<Triangle> triangulateFaces(const PolygonMesh& mesh) {
  std::vector<Triangle> triangles;
  std::vector<Flat> flat;
  const int vertexCount = static_cast<int>(mesh.positions.size());
  for (size_t f = 0; f < mesh.faceCount(); ++f) {
    const int* points = mesh.facePoints(f);
    const size_t n = mesh.pointCount(f);
    bool named = n >= 3;
    for (size_t i = 0; i < n && named; ++i)
      named = points[i] >= 0 && points[i] < vertexCount;
    if (!named)
      continue;
    if (n == 3 || n > kLargestClippedFace || !flatten(mesh, points, n, flat))
      fan(points, n, triangles);
    else
      clipEars(points, flat, triangles);
  }
  return triangles;
}

} // namespace quality
