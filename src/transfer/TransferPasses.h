// The transfer stage's parts: the Destination snapshots the vertex pass reads once, the regions
// of added vertices with their boundaries and the interpolation over them, and the face pass.
// Relies on the plug-in object (source, destination, elements, newElements, findSourceVertex),
// the settings record and the host function table.
#pragma once

#include "entry/Tovalinder.h"

#include <climits>
#include <utility>
#include <vector>

namespace transfer {

// vertexPairs is a vector indexed by Destination vertex; this marks a vertex with no entry.
constexpr int kNoPair = INT_MIN;

// Positions of one object, each asked of the host at most once.
class PositionCache {
public:
  PositionCache(MQObject object, int count);
  const MQPoint& at(int index);
  int count() const { return static_cast<int>(positions_.size()); }

private:
  MQObject object_;
  std::vector<MQPoint> positions_;
  std::vector<char> read_;
};

// findSourceVertex for Destination vertices, each asked at most once.
class SourceLookup {
public:
  SourceLookup(const Tovalinder& plugin, int destinationCount);
  int operator()(int vertex);

private:
  const Tovalinder& plugin_;
  std::vector<int> cache_;
};

// The Destination's faces, read once: each face's points and each vertex's faces (ascending,
// each face once, as the host answers them).
class MeshTopology {
public:
  explicit MeshTopology(MQObject object);
  // The vertices joined to v by a face edge, ascending, each once: in a line its other point,
  // in a face of any other size the points before and after v's first occurrence.
  std::vector<int> edgeNeighbours(int v) const;
  int vertexCount() const { return vertexCount_; }

private:
  int vertexCount_ = 0;
  std::vector<int> faceStarts_, facePoints_;
  std::vector<int> relatedStarts_, relatedFaces_;
};

// Regions of added vertices (connected through face edges) and their boundaries: the matched
// vertices joined to a region by an edge. Numbered from 1 in order of first use.
class AddedRegions {
public:
  AddedRegions(const MeshTopology& topology, SourceLookup& sourceOf);
  // The region of added vertex i, flooded on first use (with a work list: regions can hold
  // most of a mesh).
  int findRegion(int i);
  // The boundary of a region, ascending.
  const std::vector<int>& boundary(int region) const {
    return boundaries_[static_cast<size_t>(region)];
  }

private:
  const MeshTopology& topology_;
  SourceLookup& sourceOf_;
  std::vector<int> regionOfVertex_; // 0: no entry
  std::vector<std::vector<int>> boundaries_;
};

// The pairing of a Destination face for one element pair: Source face (or -1) and rotation.
std::pair<int, int> findSourceFace(const cmq::CMQObject& newElement,
                                   const cmq::CMQObject& sourceElement, int face,
                                   const std::vector<int>& vertexPairs, int sourceVertexCount);
// The smallest face of the object that holds all the given vertices, when its point count is
// theirs; -1 otherwise, also when a vertex has no faces or is not in the object at all.
int findFaceWithVertices(const cmq::CMQObject& object, const std::vector<int>& vertices,
                         int objectVertexCount);

// Which settings open the face pass (and the recording of vertexPairs).
bool facePassRuns();
// The face pass over every Destination face and element pair.
void copyFaceAttributes(Tovalinder& plugin, const std::vector<int>& vertexPairs);

} // namespace transfer
