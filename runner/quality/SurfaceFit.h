// The Source morph at a point of the Source surface to higher order than the closest triangle's
// barycentric blend, as a stencil: Source vertices and weights that, applied to any element's
// offsets, give the offset there, so that the weights are found once and serve every element.
// The weights come from a weighted quadratic least-squares fit in the closest triangle's plane
// over the vertices that share a triangle with its corners (two rings of them where one gives
// no sound fit), with what the fit misses at the corners blended back in: the value is exact at
// the Source vertices and for any morph quadratic over that plane. A vertex takes the fit as far
// as it lies on the fitted surface: one on the flat triangle, or off the surface, keeps the blend.
// Where no fit is sound (the neighbourhood folds over, has a point that is not finite or too few
// points, the fit is ill-conditioned, the triangle has no area) there is no stencil and the
// caller keeps the blend; where a morph is not smooth round a point, limitedValue does.
// Relies on the Source positions staying alive and unchanged while the fit is used.
#pragma once

#include "EdgeGraph.h"
#include "SurfaceQuality.h"

#include <vector>

namespace quality {

struct StencilEntry {
  int vertex;    // a Source vertex
  float u, v, w; // its place in the fit's plane and its weight in the fit (for the check only)
  double weight; // in the fitted value
};

// The fit's normal equations, factored (the lower half, row by row).
struct FitSystem {
  double factor[21];
};

class SurfaceFit {
public:
  SurfaceFit(const std::vector<Vec3>& positions, const std::vector<Triangle>& triangles);

  // Appends the stencil for the vertex at `at` whose closest point is that of the triangle (one of
  // those the fit was made with) with the given barycentric weights (summing to 1), sets the
  // fit's system, and returns true; returns false and appends nothing where the vertex keeps the
  // blend. The triangle's corners come first; each Source vertex of the neighbourhood appears
  // once; the weights sum to 1 up to rounding. Keeps scratch marks: not for use from two threads
  // at once.
  bool stencil(const Triangle& triangle, const double (&weight)[3], const Vec3& at,
               std::vector<StencilEntry>& entries, FitSystem& system);

  // The stencil's value for one element (offsets by Source vertex, each one present), limited
  // so that no fit makes an offset its neighbourhood does not have: `linear` (the barycentric
  // value) instead where the fitted value is not finite, leaves the range of the neighbourhood's
  // offsets on some axis or is longer than the longest of them, or where the morph is not smooth
  // round the point (it jumps or bends across or beside the triangle). `system` is the stencil's.
  static Vec3 limitedValue(const StencilEntry* begin, const StencilEntry* end,
                           const FitSystem& system, const Vec3* offsets, const Vec3& linear);

private:
  static double roughness(const StencilEntry* begin, const StencilEntry* end,
                          const FitSystem& system, const Vec3* offsets);
  struct Chart;
  bool chartOf(const Triangle& triangle, const double (&weight)[3], Chart& chart) const;
  void grow(const Triangle& triangle, size_t rings);
  double place(const Chart& chart);
  bool fit(const Chart& chart, const double (&weight)[3], double above,
           std::vector<StencilEntry>& entries, FitSystem& system);
  static double onSurface(double above, double height);

  const std::vector<Vec3>& positions_;
  EdgeGraph graph_;            // of the vertices that share a triangle
  std::vector<unsigned> mark_; // by Source vertex: the query that took it in last
  unsigned query_ = 0;
  std::vector<int> ring_;                 // the current query's neighbourhood, corners first
  size_t ringStart_ = 0;                  // where its outermost ring starts
  std::vector<double> u_, v_, e_, w_, a_; // by entry of ring_: the fit's scratch
};

} // namespace quality
