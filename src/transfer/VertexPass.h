// The vertex pass of the transfer: which Destination vertices are written and from which Source
// vertex, then the new elements' vertices moved by the Source elements' offsets (scaled by the
// rate, x negated when mirrored) and the weights copied; added vertices take an offset
// interpolated over their region's boundary. Each function takes what it uses and answers what
// it found; only the new elements are written, each new element being the host's copy of the
// Destination: a position only where it changes, a weight (with several elements) likewise.
// Relies on the snapshots (MeshSnapshot.h), the regions and the interpolation (pure), and the
// bound host function table for the elements' positions and weights.
#pragma once

#include "transfer/ElementPairs.h"
#include "transfer/MeshSnapshot.h"
#include "transfer/TransferSettings.h"

#include <vector>

namespace transfer {

struct VertexTargets {
  std::vector<int> matched; // Destination vertices with a Source vertex, ascending
  std::vector<int> added;   // vertices without one that get an interpolated offset, ascending
  // For the face pass: the Source vertex of every vertex the pass takes (kNoSourceVertex for an
  // added one), kNoSourceVertex for the vertices it skips.
  std::vector<int> vertexPairs;
};

struct VertexPassInput {
  const TransferSettings& settings;
  MQDocument document;
  MQObject destinationObject;       // for its vertex selection
  const MeshSnapshot& source;       // positions
  const MeshSnapshot& destination;  // used flags, positions; faces for added vertices
  const std::vector<int>& sourceOf; // the Source vertex of every Destination vertex
  const std::vector<ElementPair>& pairs;
};

// Skips unused vertices, unselected ones when only selected vertices take the morph, and added
// ones unless they are to take one.
VertexTargets chooseTargets(const VertexPassInput& in);

// Matched vertices: offset of the element at the Source vertex, and its weight.
void moveMatchedVertices(const VertexPassInput& in, const std::vector<int>& matched);

// Added vertices: offsets interpolated over the boundary of each one's region.
void moveAddedVertices(const VertexPassInput& in, const std::vector<int>& added);

} // namespace transfer
