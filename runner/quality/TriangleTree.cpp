#include "TriangleTree.h"

#include <algorithm>
#include <cmath>

namespace quality {

namespace {

const int kLeafSize = 4;

using Point = double[3];

void load(const Vec3& v, double (&p)[3]) {
  p[0] = v.x, p[1] = v.y, p[2] = v.z;
}

double dot(const double* a, const double* b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Closest point of segment ab to p: the weight of b along it.
double segmentWeight(const Point& a, const Point& b, const Point& p) {
  const double ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double ap[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double length = dot(ab, ab);
  return length > 0 ? std::clamp(dot(ap, ab) / length, 0.0, 1.0) : 0.0;
}

// Barycentric weights of the point of triangle abc closest to p, by the triangle's Voronoi
// regions (Ericson, Real-Time Collision Detection, 5.1.5); a triangle without area is treated as
// its closest edge.
void closestWeights(const Point& a, const Point& b, const Point& c, const Point& p,
                    double (&w)[3]) {
  const double ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double ac[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double normal[3] = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                            ab[0] * ac[1] - ab[1] * ac[0]};
  const double area = dot(normal, normal), scale = dot(ab, ab) * dot(ac, ac);
  if (!(area > 1e-24 * scale)) {
    const Point* corner[3] = {&a, &b, &c};
    double best = std::numeric_limits<double>::infinity();
    for (int e = 0; e < 3; ++e) {
      const Point &from = *corner[e], &to = *corner[(e + 1) % 3];
      const double t = segmentWeight(from, to, p),
                   q[3] = {from[0] + t * (to[0] - from[0]), from[1] + t * (to[1] - from[1]),
                           from[2] + t * (to[2] - from[2])};
      const double d[3] = {p[0] - q[0], p[1] - q[1], p[2] - q[2]};
      if (dot(d, d) < best) {
        best = dot(d, d);
        w[e] = 1 - t, w[(e + 1) % 3] = t, w[(e + 2) % 3] = 0;
      }
    }
    return;
  }
  const double ap[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double bp[3] = {p[0] - b[0], p[1] - b[1], p[2] - b[2]};
  const double cp[3] = {p[0] - c[0], p[1] - c[1], p[2] - c[2]};
  const double d1 = dot(ab, ap), d2 = dot(ac, ap), d3 = dot(ab, bp), d4 = dot(ac, bp);
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  const double vc = d1 * d4 - d3 * d2, vb = d5 * d2 - d1 * d6, va = d3 * d6 - d5 * d4;
  auto set = [&w](double wa, double wb, double wc) { w[0] = wa, w[1] = wb, w[2] = wc; };
  if (d1 <= 0 && d2 <= 0)
    set(1, 0, 0);
  else if (d3 >= 0 && d4 <= d3)
    set(0, 1, 0);
  else if (d6 >= 0 && d5 <= d6)
    set(0, 0, 1);
  else if (vc <= 0 && d1 >= 0 && d3 <= 0) {
    const double t = d1 / (d1 - d3);
    set(1 - t, t, 0);
  } else if (vb <= 0 && d2 >= 0 && d6 <= 0) {
    const double t = d2 / (d2 - d6);
    set(1 - t, 0, t);
  } else if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    const double t = (d4 - d3) / ((d4 - d3) + (d5 - d6));
    set(0, 1 - t, t);
  } else {
    const double v = vb / (va + vb + vc), u = vc / (va + vb + vc);
    set(1 - v - u, v, u);
  }
}

bool finite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

TriangleTree::TriangleTree(const std::vector<Vec3>& positions,
                           const std::vector<Triangle>& triangles)
    : positions_(positions) {
  for (const Triangle& t : triangles) {
    bool usable = true;
    for (int corner : t.corner)
      usable = usable && corner >= 0 && static_cast<size_t>(corner) < positions.size() &&
               finite(positions[static_cast<size_t>(corner)]);
    if (usable)
      triangles_.push_back(t);
  }
  build();
}

TriangleTree::Box TriangleTree::boxOf(const Triangle& triangle) const {
  Box box;
  for (int k = 0; k < 3; ++k)
    box.low[k] = std::numeric_limits<float>::max(), box.high[k] = -box.low[k];
  for (int corner : triangle.corner) {
    const Vec3& p = positions_[static_cast<size_t>(corner)];
    const float c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k)
      box.low[k] = std::min(box.low[k], c[k]), box.high[k] = std::max(box.high[k], c[k]);
  }
  return box;
}

void TriangleTree::build() {
  const size_t n = triangles_.size();
  std::vector<Box> boxes(n);
  std::vector<Vec3> centres(n);
  for (size_t t = 0; t < n; ++t) {
    const Box& box = boxes[t] = boxOf(triangles_[t]);
    centres[t] = Vec3{box.low[0] / 2 + box.high[0] / 2, box.low[1] / 2 + box.high[1] / 2,
                      box.low[2] / 2 + box.high[2] / 2};
  }
  order_.resize(n);
  for (size_t t = 0; t < n; ++t)
    order_[t] = static_cast<int>(t);
  if (n == 0)
    return;
  struct Pending {
    int node, first, count;
  };
  nodes_.push_back(Node{});
  std::vector<Pending> pending{{0, 0, static_cast<int>(n)}};
  while (!pending.empty()) {
    const Pending job = pending.back();
    pending.pop_back();
    Box box = boxes[static_cast<size_t>(order_[static_cast<size_t>(job.first)])];
    for (int i = job.first + 1; i < job.first + job.count; ++i)
      for (int k = 0; k < 3; ++k) {
        const Box& b = boxes[static_cast<size_t>(order_[static_cast<size_t>(i)])];
        box.low[k] = std::min(box.low[k], b.low[k]), box.high[k] = std::max(box.high[k], b.high[k]);
      }
    nodes_[static_cast<size_t>(job.node)].box = box;
    if (job.count <= kLeafSize) {
      nodes_[static_cast<size_t>(job.node)].first = job.first;
      nodes_[static_cast<size_t>(job.node)].count = job.count;
      continue;
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k)
      if (box.high[k] - box.low[k] > box.high[axis] - box.low[axis])
        axis = k;
    auto key = [&](int t) {
      const Vec3& c = centres[static_cast<size_t>(t)];
      return axis == 0 ? c.x : axis == 1 ? c.y : c.z;
    };
    const auto begin = order_.begin() + job.first, end = begin + job.count;
    const int half = job.count / 2;
    std::nth_element(begin, begin + half, end,
                     [&](int a, int b) { return key(a) < key(b) || (key(a) == key(b) && a < b); });
    const int firstChild = static_cast<int>(nodes_.size());
    nodes_.push_back(Node{});
    nodes_.push_back(Node{});
    nodes_[static_cast<size_t>(job.node)].first = firstChild;
    nodes_[static_cast<size_t>(job.node)].count = 0;
    pending.push_back(Pending{firstChild + 1, job.first + half, job.count - half});
    pending.push_back(Pending{firstChild, job.first, half});
  }
}

double TriangleTree::boxDistance(const Box& box, const double (&point)[3]) const {
  double sum = 0;
  for (int k = 0; k < 3; ++k) {
    const double below = box.low[k] - point[k], above = point[k] - box.high[k];
    const double gap = std::max({below, above, 0.0});
    sum += gap * gap;
  }
  return sum;
}

void TriangleTree::visitLeaf(const Node& node, const double (&point)[3], SurfacePoint& best) const {
  for (int i = node.first; i < node.first + node.count; ++i) {
    const int t = order_[static_cast<size_t>(i)];
    Point corner[3];
    for (int c = 0; c < 3; ++c)
      load(positions_[static_cast<size_t>(triangles_[static_cast<size_t>(t)].corner[c])],
           corner[c]);
    double w[3];
    closestWeights(corner[0], corner[1], corner[2], point, w);
    double distance = 0;
    for (int k = 0; k < 3; ++k) {
      const double on = w[0] * corner[0][k] + w[1] * corner[1][k] + w[2] * corner[2][k];
      distance += (point[k] - on) * (point[k] - on);
    }
    if (distance < best.squaredDistance) {
      best.triangle = t;
      best.squaredDistance = distance;
      std::copy(w, w + 3, best.weight);
    }
  }
}

SurfacePoint TriangleTree::closest(const Vec3& query) const {
  SurfacePoint best;
  if (nodes_.empty() || !finite(query))
    return best;
  double point[3];
  load(query, point);
  std::vector<int> stack{0};
  while (!stack.empty()) {
    const Node& node = nodes_[static_cast<size_t>(stack.back())];
    stack.pop_back();
    if (boxDistance(node.box, point) >= best.squaredDistance)
      continue;
    if (node.count > 0) {
      visitLeaf(node, point, best);
      continue;
    }
    // The nearer box is searched first: it is likely to shrink the search of the other.
    const int near = node.first, far = node.first + 1;
    const bool swap = boxDistance(nodes_[static_cast<size_t>(far)].box, point) <
                      boxDistance(nodes_[static_cast<size_t>(near)].box, point);
    stack.push_back(swap ? near : far);
    stack.push_back(swap ? far : near);
  }
  return best;
}

} // namespace quality
