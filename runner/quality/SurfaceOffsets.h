// Where each added vertex takes its offset from, decided once for all elements: the closest
// point of the Source surface when the vertex lies near it (the fit of the morph round that point,
// or the closest triangle's blend where no fit is sound), a harmonic interpolation of its
// neighbours when the edit built it away from the surface, or nothing (the caller keeps what it
// had) when its piece of the mesh touches no vertex that holds an offset.
#pragma once

#include "EdgeGraph.h"
#include "HarmonicFill.h"
#include "SurfaceFit.h"
#include "SurfaceQuality.h"
#include "TriangleTree.h"

#include <memory>
#include <vector>

namespace quality {

enum class OffsetOrigin : unsigned char { Surface, Harmonic, Kept };

// A vertex farther from the Source surface than this many times the mean length of its own
// edges was built away from the surface.
constexpr double kSurfaceReach = 1.0;

struct AddedVertexQuestion {
  const PolygonMesh& source;
  const PolygonMesh& destination;
  const std::vector<int>& sourceVertex; // by Destination vertex: its Source vertex, or -1
  const std::vector<char>& added;       // by Destination vertex: whether to give it an offset
  bool mirror = false; // seek each vertex's mirror image (-x, y, z) on the Source surface
  // Take the Source morph near the closest point from a quadratic fit where one is sound (see
  // SurfaceFit.h); false: the barycentric blend over the closest triangle everywhere.
  bool fit = true;
};

class SurfaceOffsets {
public:
  explicit SurfaceOffsets(const AddedVertexQuestion& question);
  ~SurfaceOffsets();
  SurfaceOffsets(const SurfaceOffsets&) = delete;
  SurfaceOffsets& operator=(const SurfaceOffsets&) = delete;

  // The Destination vertices asked about, ascending, and where each takes its offset from.
  const std::vector<int>& vertices() const { return vertices_; }
  OffsetOrigin origin(size_t i) const { return origin_[i]; }
  size_t count(OffsetOrigin origin) const;
  // Whether entry i has a fit of the Source morph (an element still takes the closest triangle's
  // blend where the fit leaves its offsets round the point or the morph is not smooth there).
  bool fitted(size_t i) const { return stencilStart_[i] != stencilStart_[i + 1]; }

  // One element's offsets: sourceOffsets holds the element's offset at each Source vertex (a
  // Source vertex past its end: no offset). Writes offsets[v] for every asked vertex v that does
  // not keep its own; the offsets are the Source's, before any mirroring or scaling.
  void offsetsFor(const std::vector<Vec3>& sourceOffsets, std::vector<Vec3>& offsets) const;

private:
  struct Projection {
    int corner[3];
    double weight[3];
  };

  void project(const AddedVertexQuestion& question, const EdgeGraph& graph);

  std::vector<int> sourceVertex_;
  std::vector<int> vertices_;
  std::vector<OffsetOrigin> origin_;
  std::vector<Projection> projection_; // by entry of vertices_, for those on the surface
  std::vector<size_t> stencilStart_;   // entry i's fit: stencil_[stencilStart_[i]] up to [i + 1]
  std::vector<StencilEntry> stencil_;
  std::vector<int> systemOf_; // by entry of vertices_: its fit's system in systems_, or -1
  std::vector<FitSystem> systems_;
  size_t sourceCount_ = 0;
  std::unique_ptr<EdgeGraph> graph_;
  std::vector<Role> roles_; // by Destination vertex, for the harmonic fill
  std::unique_ptr<HarmonicFill> harmonic_;
};

} // namespace quality
