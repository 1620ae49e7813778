// Offsets for added vertices by inverse squared distance weighting (Shepard's method with power
// two, the squared distance taken as it is, without a square root): the weighted mean of the
// offsets at the boundary vertices of the vertex's region, weights 1 / d^2 measured in the
// Destination; a boundary vertex at exactly the same position gives its own offset, and a
// region without boundary gives zero.
// The offsets of several elements are interpolated together: an offset table holds per row the
// offsets at one Source vertex, three floats per element side by side (columns); every column
// gets exactly the single-precision operations, in the same order, that one element alone would.
// Relies on the Destination snapshot (positions) and the Source vertex of every Destination
// vertex.
#pragma once

#include "transfer/MeshSnapshot.h"

#include <vector>

namespace transfer {

class BoundaryInterpolation {
public:
  // sourceOf: the Source vertex of each Destination vertex; sourceCount: the Source's vertices
  // (a boundary vertex paired outside them has no offset: zero).
  BoundaryInterpolation(const MeshSnapshot& destination, const std::vector<int>& sourceOf,
                        int sourceCount);

  // Makes a region's boundary ready (its positions, and a table row for each of its Source
  // vertices); a region already prepared is left as it is.
  void prepare(int region, const std::vector<int>& boundary);

  // The Source vertex whose offsets each table row holds; -1: none, the row stays zero.
  const std::vector<int>& rowSources() const { return rowSources_; }

  // Rows of the offset table hold width floats, width a multiple of four. Writes the
  // interpolated offset of every column at a position in a prepared region into out (width
  // floats).
  void interpolate(const MQPoint& at, int region, const std::vector<float>& offsets, size_t width,
                   std::vector<float>& out) const;

private:
  struct Boundary {
    std::vector<MQPoint> positions;
    std::vector<int> rows;
    std::vector<float> x, y, z; // the positions by coordinate, padded to whole groups of four
  };
  void inverseSquaredDistances(const MQPoint& at, const Boundary& boundary,
                               std::vector<float>& weights) const;

  const MeshSnapshot& destination_;
  const std::vector<int>& sourceOf_;
  std::vector<int> rowOfSource_;
  std::vector<int> rowSources_;
  std::vector<Boundary> boundaries_; // by region; empty until prepared
  std::vector<char> prepared_;
  mutable std::vector<float> weights_; // scratch of interpolate()
};

} // namespace transfer
