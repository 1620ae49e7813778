// Closest points on a triangle surface: a bounding volume hierarchy over the triangles, built
// once (median splits along the longest axis), answers each query by branch and bound, nearer
// box first. Triangles with a corner that is not a finite point are left out.
#pragma once

#include "SurfaceQuality.h"

#include <limits>
#include <vector>

namespace quality {

struct SurfacePoint {
  int triangle = -1;            // index among the tree's triangles; -1: the tree is empty
  double weight[3] = {0, 0, 0}; // barycentric weights of the triangle's corners
  double squaredDistance = std::numeric_limits<double>::infinity();
};

class TriangleTree {
public:
  TriangleTree(const std::vector<Vec3>& positions, const std::vector<Triangle>& triangles);

  // The closest point of the surface to the query (the first found among equally close ones).
  SurfacePoint closest(const Vec3& query) const;
  const Triangle& triangle(int index) const { return triangles_[static_cast<size_t>(index)]; }

private:
  struct Box {
    float low[3], high[3];
  };
  struct Node {
    Box box;
    int first; // a leaf's first entry of order_; an inner node's first child (the second follows)
    int count; // a leaf's triangle count; 0 for an inner node
  };

  Box boxOf(const Triangle& triangle) const;
  void build();
  double boxDistance(const Box& box, const double (&point)[3]) const;
  void visitLeaf(const Node& node, const double (&point)[3], SurfacePoint& best) const;

  const std::vector<Vec3>& positions_;
  std::vector<Triangle> triangles_;
  std::vector<int> order_; // triangle indices, grouped by leaf
  std::vector<Node> nodes_;
};

} // namespace quality
