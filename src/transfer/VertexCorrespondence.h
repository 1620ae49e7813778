// The position test of the vertex correspondence as the plug-in object offers it: two vertices,
// each of the run's Source or Destination, compared by their positions as the host answers them.
// The correspondence itself works on snapshots (VertexPairing.h, MirrorPartners.h).
// Relies on the plug-in object's source and destination and the bound host function table.
#pragma once

namespace transfer {

// One element of the compared sequences: a vertex and the object it belongs to.
struct VertexRef {
  int index;
  int side; // 1: the run's Source, 2: the run's Destination
};

// True when the two vertices' positions match within the tolerance (Tolerances.h).
bool positionsMatch(const VertexRef& a, const VertexRef& b);

} // namespace transfer
