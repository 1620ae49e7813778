// Based on: D. Levin, The approximation power of moving least-squares, Mathematics of
// Computation 67 (1998), a weighted polynomial fit round the point of evaluation; M. Alexa et al.,
// Computing and rendering point set surfaces, IEEE TVCG 9 (2003), the fit over a local tangent
// plane; and, for the limit on the fitted value, T. Barth and D. Jespersen, The design and
// application of upwind schemes on unstructured meshes, AIAA paper 89-0366 (1989), where a
// higher-order value may not leave the range of the values round it.
#include "SurfaceFit.h"

#include <algorithm>
#include <cmath>

namespace quality {

namespace {

// The neighbourhood: the vertices that share a triangle with a corner (one ring), or, where that
// gives too few points or no sound fit, two rings.
const size_t kMostRings = 2;
const size_t kFewestPoints = 9; // a quadratic has 6 coefficients: some to spare against noise
const int kTerms = 6;           // 1, u, v, u^2, uv, v^2
// A neighbour above the plane by more than this many times its distance along it: the surface
// folds over within the neighbourhood (a crease, a thin part), and the plane is no chart.
const double kSteepest = 3.0;
// Weights fall as (1 - d^2 / kSupport)^2 with the distance along the plane, the farthest
// neighbour at d = 1.
const double kSupport = 1.5;
// Elimination pivots below this share of their diagonal: the points do not fix a quadratic.
const double kSmallestPivot = 1e-6;
// Stencils whose weights add up, in magnitude, to more than this amplify the offsets' rounding
// and any roughness: the fit is ill-conditioned there.
const double kLargestGain = 4.0;
// Heights, in units of the neighbourhood's size: below kLevel the fitted surface and the triangle
// are one; a vertex farther than kOffSurface from the fitted surface takes less of the fit, and
// none beyond twice that.
const double kLevel = 1e-4;
const double kOffSurface = 0.04;
// A vertex that would take less of the fit than this keeps the blend outright.
const double kLeastShare = 0.01;
// Signs that the morph is not smooth round the point, on any axis: the triangle's corners spread
// over more than kJump of the neighbourhood's range (the morph jumps across the triangle); the
// fit moves the blend by more than kBend times the corners' spread; or the neighbourhood spreads
// over more than kWide times the corners' range and the best quadratic leaves more than kRough of
// its variation unexplained (the morph jumps or bends beside the triangle, and the fit would
// smear that over it).
const double kJump = 0.75;
const double kBend = 2.0;
const double kWide = 4.0;
const double kRough = 0.05;
// Float rounding alone may move a value that every corner holds alike by this share of it.
const double kRounding = 1e-6;

struct Point {
  double x, y, z;
};

Point operator-(const Point& a, const Point& b) {
  return Point{a.x - b.x, a.y - b.y, a.z - b.z};
}
double dot(const Point& a, const Point& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Point cross(const Point& a, const Point& b) {
  return Point{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Point scaled(const Point& a, double s) {
  return Point{a.x * s, a.y * s, a.z * s};
}
Point load(const Vec3& v) {
  return Point{v.x, v.y, v.z};
}
bool finite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void terms(double u, double v, double (&b)[kTerms]) {
  b[0] = 1, b[1] = u, b[2] = v, b[3] = u * u, b[4] = u * v, b[5] = v * v;
}

// Cholesky factor of m in its lower half (m symmetric, only its lower half read); false where a
// pivot falls below kSmallestPivot of its diagonal.
bool factor(double (&m)[kTerms][kTerms]) {
  for (int k = 0; k < kTerms; ++k) {
    double pivot = m[k][k];
    for (int j = 0; j < k; ++j)
      pivot -= m[k][j] * m[k][j];
    if (!(pivot > kSmallestPivot * m[k][k]))
      return false;
    m[k][k] = std::sqrt(pivot);
    for (int i = k + 1; i < kTerms; ++i) {
      double sum = m[i][k];
      for (int j = 0; j < k; ++j)
        sum -= m[i][j] * m[k][j];
      m[i][k] = sum / m[k][k];
    }
  }
  return true;
}

// Solves l l^T x = x in place.
void solve(const double (&l)[kTerms][kTerms], double (&x)[kTerms]) {
  for (int i = 0; i < kTerms; ++i) {
    for (int j = 0; j < i; ++j)
      x[i] -= l[i][j] * x[j];
    x[i] /= l[i][i];
  }
  for (int i = kTerms - 1; i >= 0; --i) {
    for (int j = i + 1; j < kTerms; ++j)
      x[i] -= l[j][i] * x[j];
    x[i] /= l[i][i];
  }
}

// The triangles as a mesh of their own: its graph joins the vertices that share a triangle.
PolygonMesh triangleMesh(const std::vector<Vec3>& positions,
                         const std::vector<Triangle>& triangles) {
  PolygonMesh mesh;
  mesh.positions.resize(positions.size());
  for (const Triangle& t : triangles)
    mesh.addFace({t.corner[0], t.corner[1], t.corner[2]});
  return mesh;
}

} // namespace

// The triangle's plane: the point of evaluation, two unit directions along the plane and its unit
// normal.
struct SurfaceFit::Chart {
  Point origin, along, across, normal;
};

SurfaceFit::SurfaceFit(const std::vector<Vec3>& positions, const std::vector<Triangle>& triangles)
    : positions_(positions), graph_(triangleMesh(positions, triangles)),
      mark_(positions.size(), 0) {}

// False for a triangle without area.
bool SurfaceFit::chartOf(const Triangle& triangle, const double (&weight)[3], Chart& chart) const {
  Point corner[3];
  for (int c = 0; c < 3; ++c)
    corner[c] = load(positions_[static_cast<size_t>(triangle.corner[c])]);
  const Point ab = corner[1] - corner[0], ac = corner[2] - corner[0];
  const Point normal = cross(ab, ac);
  const double area = dot(normal, normal);
  if (!(area > 1e-24 * dot(ab, ab) * dot(ac, ac)))
    return false;
  chart.normal = scaled(normal, 1 / std::sqrt(area));
  chart.along = scaled(ab, 1 / std::sqrt(dot(ab, ab)));
  chart.across = cross(chart.normal, chart.along);
  chart.origin = Point{0, 0, 0};
  for (int c = 0; c < 3; ++c)
    chart.origin =
        Point{chart.origin.x + weight[c] * corner[c].x, chart.origin.y + weight[c] * corner[c].y,
              chart.origin.z + weight[c] * corner[c].z};
  return true;
}

// Takes in the triangle's corners (rings 0, starting a query) or the next ring round what is in.
void SurfaceFit::grow(const Triangle& triangle, size_t rings) {
  auto take = [&](int v) {
    if (mark_[static_cast<size_t>(v)] != query_) {
      mark_[static_cast<size_t>(v)] = query_;
      ring_.push_back(v);
    }
  };
  if (rings == 0) {
    if (++query_ == 0) { // the marks wrapped round: none of them may look current
      std::fill(mark_.begin(), mark_.end(), 0u);
      query_ = 1;
    }
    ring_.clear();
    ringStart_ = 0;
    for (int corner : triangle.corner)
      take(corner);
    return;
  }
  const size_t begin = ringStart_, end = ring_.size();
  for (size_t i = begin; i < end; ++i)
    for (const int* u = graph_.begin(ring_[i]); u != graph_.end(ring_[i]); ++u)
      take(*u);
  ringStart_ = end;
}

bool SurfaceFit::stencil(const Triangle& triangle, const double (&weight)[3], const Vec3& at,
                         std::vector<StencilEntry>& entries, FitSystem& system) {
  Chart chart;
  if (!chartOf(triangle, weight, chart) || !finite(at))
    return false;
  const double above = dot(load(at) - chart.origin, chart.normal);
  grow(triangle, 0);
  for (size_t rings = 1; rings <= kMostRings; ++rings) {
    grow(triangle, rings);
    if (ring_.size() >= kFewestPoints && fit(chart, weight, above, entries, system))
      return true;
  }
  return false;
}

// Each neighbour's place along the chart, scaled so that the farthest lies at distance 1, and its
// height above it; the scale, or 0 where the neighbourhood is no graph over the plane.
double SurfaceFit::place(const Chart& chart) {
  const size_t n = ring_.size();
  u_.resize(n), v_.resize(n), e_.resize(n);
  double reach = 0;
  for (size_t j = 0; j < n; ++j) {
    const Vec3& p = positions_[static_cast<size_t>(ring_[j])];
    if (!finite(p))
      return 0;
    const Point d = load(p) - chart.origin;
    u_[j] = dot(d, chart.along), v_[j] = dot(d, chart.across), e_[j] = dot(d, chart.normal);
    const double flat = u_[j] * u_[j] + v_[j] * v_[j];
    if (e_[j] * e_[j] > kSteepest * kSteepest * flat)
      return 0;
    reach = std::max(reach, flat);
  }
  if (!(reach > 0))
    return 0;
  const double unit = 1 / std::sqrt(reach);
  for (size_t j = 0; j < n; ++j)
    u_[j] *= unit, v_[j] *= unit;
  return unit;
}

// The fit over the neighbourhood gathered, appended; false where it is not sound.
bool SurfaceFit::fit(const Chart& chart, const double (&weight)[3], double above,
                     std::vector<StencilEntry>& entries, FitSystem& system) {
  const double unit = place(chart);
  if (!(unit > 0))
    return false;
  // The weighted normal equations, and their right-hand side: the quadratic's value at the point
  // less its barycentric blend at the corners. The stencil adds the corners' own blend back, so
  // that what the quadratic misses at the corners is blended in too.
  const size_t n = ring_.size();
  double m[kTerms][kTerms] = {}, z[kTerms] = {1, 0, 0, 0, 0, 0}, b[kTerms];
  w_.resize(n), a_.resize(n);
  for (size_t j = 0; j < n; ++j) {
    const double falloff = 1 - (u_[j] * u_[j] + v_[j] * v_[j]) / kSupport;
    w_[j] = falloff * falloff;
    terms(u_[j], v_[j], b);
    for (int r = 0; r < kTerms; ++r)
      for (int c = 0; c <= r; ++c)
        m[r][c] += w_[j] * b[r] * b[c];
    for (int r = 0; j < 3 && r < kTerms; ++r)
      z[r] -= weight[j] * b[r];
  }
  if (!factor(m))
    return false;
  solve(m, z);
  double gain = 0, height = 0;
  for (size_t j = 0; j < n; ++j) {
    terms(u_[j], v_[j], b);
    a_[j] = j < 3 ? weight[j] : 0;
    for (int k = 0; k < kTerms; ++k)
      a_[j] += w_[j] * b[k] * z[k];
    gain += std::fabs(a_[j]);
    height += a_[j] * e_[j];
  }
  if (!(gain <= kLargestGain))
    return false;
  const double share = onSurface(above * unit, height * unit);
  if (!(share >= kLeastShare))
    return false;
  for (size_t j = 0; j < n; ++j) {
    const double mixed = share * a_[j] + (j < 3 ? (1 - share) * weight[j] : 0);
    entries.push_back(StencilEntry{ring_[j], static_cast<float>(u_[j]), static_cast<float>(v_[j]),
                                   static_cast<float>(w_[j]), mixed});
  }
  for (int r = 0, i = 0; r < kTerms; ++r)
    for (int c = 0; c <= r; ++c)
      system.factor[i++] = m[r][c];
  return true;
}

// How far the vertex takes the fit rather than the blend, from its height above the triangle and
// the fitted surface's (both in units of the neighbourhood's size). The fit gives the morph where
// the fitted surface passes over the point, the blend where the triangle does, and nothing tells
// how the morph changes off the surface: a vertex on the fitted surface takes the fit, one on the
// triangle the blend, one in between the share that puts it at its own height, and one off both
// (lifted off the surface, or sunk below the triangle) the blend.
double SurfaceFit::onSurface(double above, double height) {
  const double level = kLevel * kLevel;
  const double share = std::clamp((above * height + level) / (height * height + level), 0.0, 1.0);
  return share * std::clamp(2 - std::fabs(above - height) / kOffSurface, 0.0, 1.0);
}

namespace {

// Offsets' range on each axis and the longest one's squared length.
struct Bounds {
  float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
  double longest = 0;

  void take(const float (&o)[3]) {
    for (int k = 0; k < 3; ++k)
      low[k] = std::min(low[k], o[k]), high[k] = std::max(high[k], o[k]);
    longest = std::max(longest, double(o[0]) * o[0] + double(o[1]) * o[1] + double(o[2]) * o[2]);
  }
  double spread(int k) const { return double(high[k]) - low[k]; }
};

} // namespace

// The share of the offsets' weighted variation round the point that the best quadratic leaves
// unexplained: near 0 for a smooth morph, large where it jumps or bends within the neighbourhood.
double SurfaceFit::roughness(const StencilEntry* begin, const StencilEntry* end,
                             const FitSystem& system, const Vec3* offsets) {
  const Vec3& origin = offsets[static_cast<size_t>(begin->vertex)];
  double moments[3][kTerms] = {}, sum[3] = {0, 0, 0}, squares = 0, weights = 0, b[kTerms];
  for (const StencilEntry* e = begin; e != end; ++e) {
    const Vec3& o = offsets[static_cast<size_t>(e->vertex)];
    const double d[3] = {double(o.x) - origin.x, double(o.y) - origin.y, double(o.z) - origin.z};
    terms(e->u, e->v, b);
    for (int k = 0; k < 3; ++k) {
      for (int r = 0; r < kTerms; ++r)
        moments[k][r] += e->w * b[r] * d[k];
      sum[k] += e->w * d[k];
      squares += e->w * d[k] * d[k];
    }
    weights += e->w;
  }
  double l[kTerms][kTerms] = {};
  for (int r = 0, i = 0; r < kTerms; ++r)
    for (int c = 0; c <= r; ++c)
      l[r][c] = system.factor[i++];
  double explained = 0;
  for (int k = 0; k < 3; ++k) {
    double c[kTerms];
    std::copy(moments[k], moments[k] + kTerms, c);
    solve(l, c);
    for (int r = 0; r < kTerms; ++r)
      explained += c[r] * moments[k][r];
  }
  const double variation =
      squares - (sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]) / weights;
  return variation > 0 ? (squares - explained) / variation : 0;
}

Vec3 SurfaceFit::limitedValue(const StencilEntry* begin, const StencilEntry* end,
                              const FitSystem& system, const Vec3* offsets, const Vec3& linear) {
  double sum[3] = {0, 0, 0};
  Bounds corners, all;
  for (const StencilEntry* e = begin; e != end; ++e) {
    const Vec3& v = offsets[static_cast<size_t>(e->vertex)];
    const float o[3] = {v.x, v.y, v.z};
    sum[0] += e->weight * o[0], sum[1] += e->weight * o[1], sum[2] += e->weight * o[2];
    all.take(o);
    if (e - begin < 3)
      corners.take(o);
  }
  const float blend[3] = {linear.x, linear.y, linear.z};
  const float fit[3] = {static_cast<float>(sum[0]), static_cast<float>(sum[1]),
                        static_cast<float>(sum[2])};
  bool sound =
      double(fit[0]) * fit[0] + double(fit[1]) * fit[1] + double(fit[2]) * fit[2] <= all.longest;
  bool wide = false;
  for (int k = 0; k < 3; ++k) {
    const double rounding = kRounding * (std::fabs(double(blend[k])) + all.spread(k));
    sound = sound && fit[k] >= all.low[k] && fit[k] <= all.high[k] &&
            !(corners.spread(k) > kJump * all.spread(k)) &&
            std::fabs(double(fit[k]) - blend[k]) <= kBend * corners.spread(k) + rounding;
    wide = wide || all.spread(k) > kWide * corners.spread(k) + rounding;
  }
  // Only where the neighbourhood spreads much wider than the corners can a jump or a bend hide
  // from the checks above: only there is the fit's own miss measured.
  sound = sound && !(wide && roughness(begin, end, system, offsets) > kRough);
  return sound ? Vec3{fit[0], fit[1], fit[2]} : linear;
}

} // namespace quality
