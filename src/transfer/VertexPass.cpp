// Writes land where a vertex-by-vertex walk puts them, with the same values; the work is grouped
// only so that nothing is asked of the host twice and the interpolation weights of an added
// vertex are computed once for a group of elements.
#include "transfer/VertexPass.h"

#include "host/HostTable.h"
#include "transfer/AddedRegions.h"
#include "transfer/Interpolation.h"
#include "transfer/MovedPosition.h"
#include "transfer/SameBits.h"
#include "transfer/VertexPairing.h"

#include <algorithm>
#include <cmath>

namespace transfer {
namespace {

// Elements interpolated together: their boundary offsets sit side by side in a table row.
constexpr size_t kElementGroup = 16;

MQPoint difference(const MQPoint& to, const MQPoint& from) {
  return MQPoint{to.x - from.x, to.y - from.y, to.z - from.z};
}

// Moves vertex i of the new element by the offset, mirrored and scaled. The new element is the
// host's copy of the Destination and nothing moved the vertex before: it stands where the
// Destination's does, and a vertex that would stay there bit for bit is not set again.
void moveVertex(MQObject newElement, int i, const MQPoint& position, const MQPoint& offset,
                bool mirror, float rate) {
  MQPoint moved = movedPosition(position, offset, mirror, rate);
  if (!sameBits(&moved, &position))
    MQObj_SetVertex(newElement, i, &moved);
}

// The Destination's weights of the given vertices (zero for the others): the new elements start
// with them, and a weight equal bit for bit is not set again.
std::vector<float> destinationWeights(MQObject destinationObject, int vertexCount,
                                      const std::vector<int>& vertices) {
  std::vector<float> weights(static_cast<size_t>(vertexCount), 0.0f);
  for (int i : vertices)
    weights[static_cast<size_t>(i)] = MQObj_GetVertexWeight(destinationObject, i);
  return weights;
}

// The element's offsets at the Source vertices of the table rows, for elements first .. end - 1
// (three columns each, rows padded to width); zero where the element lacks the vertex.
std::vector<float> boundaryOffsets(const VertexPassInput& in, const std::vector<int>& rowSources,
                                   size_t first, size_t end, size_t width) {
  std::vector<float> offsets(rowSources.size() * width, 0.0f);
  for (size_t k = first; k < end; ++k) {
    const ElementPair& pair = in.pairs[k];
    const int elementCount = std::min(pair.elementVertices, in.source.vertexCount);
    for (size_t row = 0; row < rowSources.size(); ++row) {
      const int source = rowSources[row];
      if (source < 0 || source >= elementCount)
        continue;
      MQPoint position{0, 0, 0};
      MQObj_GetVertex(pair.element, source, &position);
      const MQPoint offset = difference(position, in.source.positions[static_cast<size_t>(source)]);
      float* cell = &offsets[row * width + (k - first) * 3];
      cell[0] = offset.x;
      cell[1] = offset.y;
      cell[2] = offset.z;
    }
  }
  return offsets;
}

} // namespace

VertexTargets chooseTargets(const VertexPassInput& in) {
  const TransferSettings& settings = in.settings;
  VertexTargets targets;
  targets.vertexPairs.assign(static_cast<size_t>(in.destination.vertexCount), kNoSourceVertex);
  const int destinationIndex =
      settings.selectedVerticesOnly ? MQDoc_GetObjectIndex(in.document, in.destinationObject) : -1;
  for (int i = 0; i < in.destination.vertexCount; ++i) {
    if (!in.destination.used[static_cast<size_t>(i)])
      continue;
    if (settings.selectedVerticesOnly && !MQDoc_IsSelectVertex(in.document, destinationIndex, i))
      continue;
    const int source = in.sourceOf[static_cast<size_t>(i)];
    if (source == kNoSourceVertex && !settings.morphAddedVertices)
      continue;
    targets.vertexPairs[static_cast<size_t>(i)] = source;
    if (source != kNoSourceVertex)
      targets.matched.push_back(i);
    else if (settings.copyCoordinates)
      targets.added.push_back(i);
  }
  return targets;
}

void moveMatchedVertices(const VertexPassInput& in, const std::vector<int>& matched) {
  const TransferSettings& settings = in.settings;
  // The weights cost as many calls as the sets they save for one element: read only for more.
  const std::vector<float> heldWeights =
      settings.copyWeights && in.pairs.size() > 1
          ? destinationWeights(in.destinationObject, in.destination.vertexCount, matched)
          : std::vector<float>();
  for (const ElementPair& pair : in.pairs) {
    // The element may have fewer vertices than the Source: an offset it cannot hold is zero, so
    // the vertex stays where it is, and it has no weight to give.
    const int elementCount = std::min(pair.elementVertices, in.source.vertexCount);
    for (int i : matched) {
      const int source = in.sourceOf[static_cast<size_t>(i)];
      if (source >= elementCount || i >= pair.newVertices)
        continue;
      if (settings.copyCoordinates) {
        MQPoint position{0, 0, 0};
        MQObj_GetVertex(pair.element, source, &position);
        moveVertex(pair.newElement, i, in.destination.positions[static_cast<size_t>(i)],
                   difference(position, in.source.positions[static_cast<size_t>(source)]),
                   settings.mirrorMorph, settings.rate);
      }
      if (settings.copyWeights) {
        const float weight = MQObj_GetVertexWeight(pair.element, source);
        if (heldWeights.empty() || !sameBits(&weight, &heldWeights[static_cast<size_t>(i)]))
          MQObj_SetVertexWeight(pair.newElement, i, weight);
      }
    }
  }
}

void moveAddedVertices(const VertexPassInput& in, const std::vector<int>& added) {
  if (added.empty())
    return;
  const VertexFaces faces(in.destination);
  AddedRegions regions(in.destination, faces, in.sourceOf);
  BoundaryInterpolation interpolation(in.destination, in.sourceOf, in.source.vertexCount);
  std::vector<int> regionOf;
  for (int i : added) {
    const int region = regions.findRegion(i);
    interpolation.prepare(region, regions.boundary(region));
    regionOf.push_back(region);
  }
  std::vector<float> sums;
  for (size_t first = 0; first < in.pairs.size(); first += kElementGroup) {
    const size_t end = std::min(in.pairs.size(), first + kElementGroup);
    // Rows padded to whole groups of four columns; the padding stays zero.
    const size_t width = ((end - first) * 3 + 3) / 4 * 4;
    const std::vector<float> offsets =
        boundaryOffsets(in, interpolation.rowSources(), first, end, width);
    for (size_t target = 0; target < added.size(); ++target) {
      const int vertex = added[target];
      interpolation.interpolate(in.destination.positions[static_cast<size_t>(vertex)],
                                regionOf[target], offsets, width, sums);
      for (size_t k = first; k < end; ++k) {
        if (vertex >= in.pairs[k].newVertices)
          continue;
        const float* offset = &sums[(k - first) * 3];
        moveVertex(
            in.pairs[k].newElement, vertex, in.destination.positions[static_cast<size_t>(vertex)],
            MQPoint{offset[0], offset[1], offset[2]}, in.settings.mirrorMorph, in.settings.rate);
      }
    }
  }
}

} // namespace transfer
