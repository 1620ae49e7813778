#include "SurfaceOffsets.h"

#include "Triangulation.h"

#include <algorithm>
#include <cmath>

namespace quality {

namespace {

Vec3 offsetAt(const std::vector<Vec3>& sourceOffsets, int sourceVertex) {
  return sourceVertex >= 0 && static_cast<size_t>(sourceVertex) < sourceOffsets.size()
             ? sourceOffsets[static_cast<size_t>(sourceVertex)]
             : Vec3{0, 0, 0};
}

} // namespace

SurfaceOffsets::SurfaceOffsets(const AddedVertexQuestion& question)
    : sourceVertex_(question.sourceVertex) {
  const size_t n = question.destination.positions.size();
  for (size_t v = 0; v < n && v < question.added.size(); ++v)
    if (question.added[v])
      vertices_.push_back(static_cast<int>(v));
  origin_.assign(vertices_.size(), OffsetOrigin::Kept);
  projection_.resize(vertices_.size());
  stencilStart_.assign(vertices_.size() + 1, 0);
  systemOf_.assign(vertices_.size(), -1);
  sourceCount_ = question.source.positions.size();
  graph_ = std::make_unique<EdgeGraph>(question.destination);
  project(question, *graph_);

  roles_.assign(n, Role::Outside);
  for (size_t v = 0; v < n && v < sourceVertex_.size(); ++v)
    if (sourceVertex_[v] >= 0)
      roles_[v] = Role::Fixed;
  for (size_t i = 0; i < vertices_.size(); ++i)
    roles_[static_cast<size_t>(vertices_[i])] =
        origin_[i] == OffsetOrigin::Surface ? Role::Fixed : Role::Free;
  harmonic_ = std::make_unique<HarmonicFill>(*graph_, roles_);
  size_t next = 0;
  for (int v : harmonic_->anchored()) {
    while (vertices_[next] != v)
      ++next;
    origin_[next] = OffsetOrigin::Harmonic;
  }
}

SurfaceOffsets::~SurfaceOffsets() = default;

// Each asked vertex near the Source surface gets its closest point there.
void SurfaceOffsets::project(const AddedVertexQuestion& question, const EdgeGraph& graph) {
  const std::vector<Triangle> triangles = triangulateFaces(question.source);
  const TriangleTree tree(question.source.positions, triangles);
  std::unique_ptr<SurfaceFit> fit;
  if (question.fit)
    fit = std::make_unique<SurfaceFit>(question.source.positions, triangles);
  for (size_t i = 0; i < vertices_.size(); ++i) {
    stencilStart_[i + 1] = stencilStart_[i] = stencil_.size();
    const int v = vertices_[i];
    Vec3 seek = question.destination.positions[static_cast<size_t>(v)];
    if (question.mirror)
      seek.x = -seek.x;
    const SurfacePoint on = tree.closest(seek);
    if (on.triangle < 0)
      continue;
    const double reach = kSurfaceReach * graph.meanEdgeLength(question.destination.positions, v);
    if (!(std::sqrt(on.squaredDistance) <= reach))
      continue;
    origin_[i] = OffsetOrigin::Surface;
    Projection& p = projection_[i];
    for (int c = 0; c < 3; ++c)
      p.corner[c] = tree.triangle(on.triangle).corner[c], p.weight[c] = on.weight[c];
    FitSystem system;
    if (fit && fit->stencil(tree.triangle(on.triangle), on.weight, seek, stencil_, system)) {
      stencilStart_[i + 1] = stencil_.size();
      systemOf_[i] = static_cast<int>(systems_.size());
      systems_.push_back(system);
    }
  }
}

size_t SurfaceOffsets::count(OffsetOrigin origin) const {
  size_t n = 0;
  for (OffsetOrigin o : origin_)
    n += o == origin;
  return n;
}

void SurfaceOffsets::offsetsFor(const std::vector<Vec3>& sourceOffsets,
                                std::vector<Vec3>& offsets) const {
  const size_t n = roles_.size();
  std::vector<Vec3> values(n, Vec3{0, 0, 0});
  for (size_t v = 0; v < n && v < sourceVertex_.size(); ++v)
    if (sourceVertex_[v] >= 0)
      values[v] = offsetAt(sourceOffsets, sourceVertex_[v]);
  // The stencils read every Source vertex's offset: those past the element's end have none.
  std::vector<Vec3> padded;
  const Vec3* at = sourceOffsets.data();
  if (sourceOffsets.size() < sourceCount_ && !stencil_.empty()) {
    padded = sourceOffsets;
    padded.resize(sourceCount_, Vec3{0, 0, 0});
    at = padded.data();
  }
  for (size_t i = 0; i < vertices_.size(); ++i) {
    if (origin_[i] != OffsetOrigin::Surface)
      continue;
    double sum[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c) {
      const Vec3 o = offsetAt(sourceOffsets, projection_[i].corner[c]);
      const double w = projection_[i].weight[c];
      sum[0] += w * o.x, sum[1] += w * o.y, sum[2] += w * o.z;
    }
    const Vec3 linear{static_cast<float>(sum[0]), static_cast<float>(sum[1]),
                      static_cast<float>(sum[2])};
    values[static_cast<size_t>(vertices_[i])] =
        fitted(i)
            ? SurfaceFit::limitedValue(stencil_.data() + stencilStart_[i],
                                       stencil_.data() + stencilStart_[i + 1],
                                       systems_[static_cast<size_t>(systemOf_[i])], at, linear)
            : linear;
  }
  harmonic_->fill(values);
  offsets.resize(std::max(offsets.size(), n));
  for (size_t i = 0; i < vertices_.size(); ++i)
    if (origin_[i] != OffsetOrigin::Kept)
      offsets[static_cast<size_t>(vertices_[i])] = values[static_cast<size_t>(vertices_[i])];
}

} // namespace quality
