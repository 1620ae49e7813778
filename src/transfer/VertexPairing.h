// Which Source vertex each Destination vertex stands for, as one dense table indexed by
// Destination vertex: by position (the used vertices of both meshes aligned in index order by a
// shortest edit script), and through the left/right mirror partners. Every entry is a Source
// vertex index or kNoSourceVertex.
// Pure: mesh snapshots (positions and used flags) in, tables out. Relies on the sequence
// alignment (SequenceDiff.h).
#pragma once

#include "transfer/MeshSnapshot.h"

#include <vector>

namespace transfer {

// The one value for "no Source vertex": an added vertex, or one that takes part in nothing.
constexpr int kNoSourceVertex = -1;

// For each Destination vertex, the Source vertex the position alignment pairs it with; unused
// Destination vertices, and used ones the alignment leaves unpaired, get kNoSourceVertex.
std::vector<int> pairByPosition(const MeshSnapshot& source, const MeshSnapshot& destination);

// The vertex whose Source vertex v takes: its mirror partner when it has one (partner >= 0),
// else v itself.
inline int lookedUpVertex(int v, int partner) {
  return partner >= 0 ? partner : v;
}

// The pairing as seen through the mirror: vertex v takes the entry of its partner (a partner
// table as findMirrorPartners answers it, -1 for no partner: v keeps its own entry).
std::vector<int> throughMirror(const std::vector<int>& pairing, const std::vector<int>& partners);

} // namespace transfer
