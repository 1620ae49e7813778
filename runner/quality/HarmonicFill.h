// Harmonic interpolation on a mesh graph: the free vertices take the values that make each of
// them the mean of its neighbours (the graph Laplacian is zero there), with the fixed vertices'
// values held. One sparse factorisation serves any number of value sets.
#pragma once

#include "EdgeGraph.h"

#include <memory>
#include <vector>

namespace quality {

enum class Role : unsigned char {
  Outside, // takes no part: neither holds a value nor takes one
  Fixed,   // holds its value
  Free,    // takes the harmonic value
};

class HarmonicFill {
public:
  HarmonicFill(const EdgeGraph& graph, const std::vector<Role>& roles);
  ~HarmonicFill();
  HarmonicFill(const HarmonicFill&) = delete;
  HarmonicFill& operator=(const HarmonicFill&) = delete;

  // The free vertices joined through free vertices to some fixed one, ascending: the others
  // (a piece of free vertices that touches no fixed vertex) have no harmonic value.
  const std::vector<int>& anchored() const { return anchored_; }

  // Reads the fixed vertices' values and overwrites the anchored free vertices' values.
  void fill(std::vector<Vec3>& values) const;

private:
  struct Factor;
  std::vector<int> anchored_;
  std::vector<int> unknownOf_; // by vertex: row of an anchored free vertex, else -1
  const EdgeGraph& graph_;
  const std::vector<Role>& roles_;
  std::unique_ptr<Factor> factor_;
};

} // namespace quality
