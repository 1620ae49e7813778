// Offsets for the vertices an edit added, taken from the Source surface instead of a blend of
// the surrounding matched vertices: each added vertex takes the Source morph at its closest point
// of the Source surface (faces triangulated), from a quadratic fit of the morph round that point
// where the morph and the surface there allow one, else the barycentric blend over the closest
// triangle; where the edit built away from that surface, the vertex takes a harmonic
// interpolation of its neighbours' offsets instead. Everything works on plain arrays (positions,
// polygons, offsets), so any mesh format can use it. Relies on Eigen for the sparse solve,
// nothing else.
#pragma once

#include <cstddef>
#include <vector>

namespace quality {

struct Vec3 {
  float x, y, z;
};

// A polygon mesh as flat arrays: face f's points are points[faceStart[f]] up to (not including)
// points[faceStart[f + 1]]. A point index outside the positions names no vertex.
struct PolygonMesh {
  std::vector<Vec3> positions;
  std::vector<size_t> faceStart{0};
  std::vector<int> points;

  size_t faceCount() const { return faceStart.empty() ? 0 : faceStart.size() - 1; }
  size_t pointCount(size_t face) const { return faceStart[face + 1] - faceStart[face]; }
  const int* facePoints(size_t face) const { return points.data() + faceStart[face]; }
  void addFace(const std::vector<int>& corners) {
    points.insert(points.end(), corners.begin(), corners.end());
    faceStart.push_back(points.size());
  }
};

struct Triangle {
  int corner[3];
};

} // namespace quality
