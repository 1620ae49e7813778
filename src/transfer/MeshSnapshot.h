// A mesh as the transfer works on it: asked of the host once (HostMeshReader.h) or, in the
// runner, copied from a document, and from then on only read. Plain arrays: by vertex its
// position and whether it is used (reference count above zero), and the faces as offsets into one
// array of points. A stage reads only the parts it needs; parts not read stay empty.
// Relies on the host's point type only.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <cstddef>
#include <vector>

namespace transfer {

// The parts of a snapshot, as bits of MeshSnapshot::parts.
enum MeshPart : unsigned {
  kVertexCount = 1u, // read with any other part too
  kPositions = 2u,
  kUsedFlags = 4u,
  kFaces = 8u,
};

struct MeshSnapshot {
  unsigned parts = 0;               // the parts read so far
  int vertexCount = 0;              // as the host answered it (0 for an answer below 0)
  std::vector<MQPoint> positions;   // vertexCount entries once read
  std::vector<char> used;           // vertexCount entries once read: 1 for a used vertex
  std::vector<size_t> faceStart{0}; // faceCount() + 1 offsets into points
  std::vector<int> points; // each face's vertex indices in face order, face after face; an entry
                           // the host left unfilled is -1 and names no vertex

  bool has(unsigned wanted) const { return (parts & wanted) == wanted; }
  int faceCount() const { return static_cast<int>(faceStart.size()) - 1; }
  // Points of a face as the host counted them (unfilled entries included).
  int facePointCount(int face) const {
    return static_cast<int>(faceStart[static_cast<size_t>(face) + 1] -
                            faceStart[static_cast<size_t>(face)]);
  }
  const int* facePoints(int face) const {
    return points.data() + faceStart[static_cast<size_t>(face)];
  }
  bool isVertex(int v) const { return v >= 0 && v < vertexCount; }
};

} // namespace transfer
