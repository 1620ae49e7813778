// Inverse distance weighting after D. Shepard, "A two-dimensional interpolation function for
// irregularly-spaced data", Proceedings of the 1968 ACM National Conference, with weights
// 1 / d^2.
#include "transfer/Interpolation.h"

#include <algorithm>
#include <emmintrin.h>

namespace transfer {

BoundaryInterpolation::BoundaryInterpolation(const MeshSnapshot& destination,
                                             const std::vector<int>& sourceOf, int sourceCount)
    : destination_(destination), sourceOf_(sourceOf),
      rowOfSource_(static_cast<size_t>(std::max(0, sourceCount)), -1) {}

void BoundaryInterpolation::prepare(int region, const std::vector<int>& boundary) {
  const size_t slot = static_cast<size_t>(region);
  if (slot >= boundaries_.size()) {
    boundaries_.resize(slot + 1);
    prepared_.resize(slot + 1, 0);
  }
  if (prepared_[slot])
    return;
  prepared_[slot] = 1;
  Boundary& prepared = boundaries_[slot];
  for (int b : boundary) {
    const int source = sourceOf_[static_cast<size_t>(b)];
    int row;
    if (source >= 0 && static_cast<size_t>(source) < rowOfSource_.size()) {
      int& known = rowOfSource_[static_cast<size_t>(source)];
      if (known < 0) {
        known = static_cast<int>(rowSources_.size());
        rowSources_.push_back(source);
      }
      row = known;
    } else {
      row = static_cast<int>(rowSources_.size());
      rowSources_.push_back(-1); // paired outside the Source: a zero offset
    }
    const MQPoint& position = destination_.positions[static_cast<size_t>(b)];
    prepared.positions.push_back(position);
    prepared.rows.push_back(row);
    prepared.x.push_back(position.x);
    prepared.y.push_back(position.y);
    prepared.z.push_back(position.z);
  }
  const size_t padded = (prepared.x.size() + 3) / 4 * 4;
  prepared.x.resize(padded, 0.0f);
  prepared.y.resize(padded, 0.0f);
  prepared.z.resize(padded, 0.0f);
}

// 1 / squaredDistance(at, q) for every boundary point q, four at a time: the same operations in
// the same order in every lane.
void BoundaryInterpolation::inverseSquaredDistances(const MQPoint& at, const Boundary& boundary,
                                                    std::vector<float>& weights) const {
  weights.resize(boundary.x.size());
  const __m128 px = _mm_set1_ps(at.x), py = _mm_set1_ps(at.y), pz = _mm_set1_ps(at.z);
  const __m128 one = _mm_set1_ps(1.0f);
  for (size_t b = 0; b < boundary.x.size(); b += 4) {
    const __m128 dy = _mm_sub_ps(py, _mm_loadu_ps(&boundary.y[b]));
    const __m128 dx = _mm_sub_ps(px, _mm_loadu_ps(&boundary.x[b]));
    const __m128 dz = _mm_sub_ps(pz, _mm_loadu_ps(&boundary.z[b]));
    const __m128 sum = _mm_add_ps(_mm_mul_ps(dy, dy), _mm_mul_ps(dx, dx));
    _mm_storeu_ps(&weights[b], _mm_div_ps(one, _mm_add_ps(sum, _mm_mul_ps(dz, dz))));
  }
}

void BoundaryInterpolation::interpolate(const MQPoint& at, int region,
                                        const std::vector<float>& offsets, size_t width,
                                        std::vector<float>& out) const {
  const Boundary& boundary = boundaries_[static_cast<size_t>(region)];
  out.assign(width, 0.0f);
  for (size_t b = 0; b < boundary.positions.size(); ++b) {
    const MQPoint& corner = boundary.positions[b];
    if (at.x == corner.x && at.y == corner.y && at.z == corner.z) {
      const float* row = &offsets[static_cast<size_t>(boundary.rows[b]) * width];
      std::copy(row, row + width, out.begin());
      return;
    }
  }
  if (boundary.positions.empty())
    return;
  std::vector<float>& weights = weights_;
  inverseSquaredDistances(at, boundary, weights);
  float weightSum = 0.0f;
  for (size_t b = 0; b < boundary.positions.size(); ++b)
    weightSum += weights[b];
  // Column by column the sum runs over the boundary in ascending order, four columns at a time.
  float* sum = out.data();
  for (size_t b = 0; b < boundary.positions.size(); ++b) {
    const __m128 weight = _mm_set1_ps(weights[b]);
    const float* row = &offsets[static_cast<size_t>(boundary.rows[b]) * width];
    for (size_t c = 0; c < width; c += 4)
      _mm_storeu_ps(sum + c,
                    _mm_add_ps(_mm_loadu_ps(sum + c), _mm_mul_ps(weight, _mm_loadu_ps(row + c))));
  }
  if (weightSum != 0.0f)
    for (size_t c = 0; c < width; ++c)
      sum[c] = sum[c] / weightSum;
}

} // namespace transfer
