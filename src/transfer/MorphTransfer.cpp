// The transfer stage: the vertex pass (offsets at matched vertices, interpolated offsets at added
// ones, weights), then the face pass. Writes land in the same places with the same values as a
// vertex-by-vertex walk; the work is only grouped so that nothing is asked of the host twice and
// the interpolation weights of an added vertex are computed once for a group of elements.
#include "host/HostTable.h"
#include "transfer/TransferPasses.h"
#include "transfer/TransferSettings.h"
#include "transfer/VertexCorrespondence.h"

#include <algorithm>
#include <emmintrin.h>
#include <memory>

namespace transfer {
namespace {

// Elements interpolated together: their boundary offsets sit side by side per boundary vertex.
constexpr size_t kElementGroup = 16;

struct Target {
  int vertex;
  int source; // -1: an added vertex
  int region; // of an added vertex when coordinates are copied
};

MQPoint difference(const MQPoint& e, const MQPoint& s) {
  return MQPoint{e.x - s.x, e.y - s.y, e.z - s.z};
}

// Moves vertex i of the new element by the offset, mirrored and scaled.
void moveVertex(MQObject newElement, int i, MQPoint offset, bool mirror, float rate) {
  if (mirror)
    offset.x = -offset.x;
  MQPoint p{0, 0, 0};
  MQObj_GetVertex(newElement, i, &p);
  MQPoint moved{p.x + rate * offset.x, p.y + rate * offset.y, p.z + rate * offset.z};
  MQObj_SetVertex(newElement, i, &moved);
}

class VertexPass {
public:
  VertexPass(Tovalinder& plugin, SourceLookup& sourceOf)
      : plugin_(plugin), settings_(transferSettings()), sourceOf_(sourceOf),
        sourcePositions_(plugin.source.object, MQObj_GetVertexCount(plugin.source.object)),
        destinationPositions_(plugin.destination.object,
                              MQObj_GetVertexCount(plugin.destination.object)) {}

  // Which vertices are written, from which Source vertex; records vertexPairs.
  void collectTargets(std::vector<int>& vertexPairs) {
    const MQObject destination = plugin_.destination.object;
    const int n = destinationPositions_.count();
    const int destinationIndex =
        settings_.selectedVerticesOnly ? MQDoc_GetObjectIndex(plugin_.document, destination) : -1;
    const bool recordPairs = facePassRuns();
    for (int i = 0; i < n; ++i) {
      if (MQObj_GetVertexRefCount(destination, i) <= 0)
        continue;
      if (settings_.selectedVerticesOnly &&
          !MQDoc_IsSelectVertex(plugin_.document, destinationIndex, i))
        continue;
      const int f = sourceOf_(i);
      if (f == -1 && !settings_.morphAddedVertices)
        continue;
      if (recordPairs)
        vertexPairs[static_cast<size_t>(i)] = f;
      if (f != -1) {
        direct_.push_back(Target{i, f, 0});
      } else if (settings_.copyCoordinates) {
        if (!regions_) {
          topology_ = std::make_unique<MeshTopology>(destination);
          regions_ = std::make_unique<AddedRegions>(*topology_, sourceOf_);
        }
        added_.push_back(Target{i, f, regions_->findRegion(i)});
      }
    }
  }

  void moveMatchedVertices() {
    const size_t pairs = std::min(plugin_.elements.size(), plugin_.newElements.size());
    const int sourceCount = sourcePositions_.count();
    for (size_t k = 0; k < pairs; ++k) {
      const MQObject element = plugin_.elements[k].object;
      const MQObject newElement = plugin_.newElements[k].object;
      // The element may have fewer vertices than the Source: an offset it cannot hold is zero,
      // so the vertex stays where it is, and it has no weight to give.
      const int elementCount = std::min(MQObj_GetVertexCount(element), sourceCount);
      const int newCount = MQObj_GetVertexCount(newElement);
      for (const Target& t : direct_) {
        if (t.source >= elementCount || t.vertex >= newCount)
          continue;
        if (settings_.copyCoordinates) {
          MQPoint e{0, 0, 0};
          MQObj_GetVertex(element, t.source, &e);
          moveVertex(newElement, t.vertex, difference(e, sourcePositions_.at(t.source)),
                     settings_.mirrorMorph, settings_.rate);
        }
        if (settings_.copyWeights)
          MQObj_SetVertexWeight(newElement, t.vertex, MQObj_GetVertexWeight(element, t.source));
      }
    }
  }

  void moveAddedVertices() {
    if (added_.empty())
      return;
    prepareBoundaries();
    const size_t pairs = std::min(plugin_.elements.size(), plugin_.newElements.size());
    for (size_t first = 0; first < pairs; first += kElementGroup)
      interpolateGroup(first, std::min(pairs, first + kElementGroup));
  }

private:
  struct BoundaryColumns {
    std::vector<float> x, y, z;
  };
  struct BoundaryPoint {
    MQPoint position; // in the Destination
    int slot;         // row of the boundary offset table
  };

  // Every region in use gets its boundary as positions and rows of the offset table; each
  // Source vertex of any boundary gets one row.
  void prepareBoundaries() {
    std::vector<int> slotOfSource(static_cast<size_t>(std::max(0, sourcePositions_.count())), -1);
    std::vector<char> prepared(regionPoints_.size(), 0);
    for (const Target& t : added_) {
      const size_t r = static_cast<size_t>(t.region);
      if (r >= regionPoints_.size()) {
        regionPoints_.resize(r + 1);
        regionColumns_.resize(r + 1);
        prepared.resize(r + 1, 0);
      }
      if (prepared[r])
        continue;
      prepared[r] = 1;
      for (int b : regions_->boundary(t.region)) {
        const int l = sourceOf_(b);
        int slot;
        if (l >= 0 && static_cast<size_t>(l) < slotOfSource.size()) {
          int& s = slotOfSource[static_cast<size_t>(l)];
          if (s < 0) {
            s = static_cast<int>(slotSources_.size());
            slotSources_.push_back(l);
          }
          slot = s;
        } else {
          slot = static_cast<int>(slotSources_.size());
          slotSources_.push_back(-1); // not a Source vertex: a zero offset
        }
        regionPoints_[r].push_back(BoundaryPoint{destinationPositions_.at(b), slot});
      }
      // The same positions by coordinate, padded to whole groups of four.
      BoundaryColumns& columns = regionColumns_[r];
      for (const BoundaryPoint& b : regionPoints_[r]) {
        columns.x.push_back(b.position.x);
        columns.y.push_back(b.position.y);
        columns.z.push_back(b.position.z);
      }
      const size_t padded = (columns.x.size() + 3) / 4 * 4;
      columns.x.resize(padded, 0.0f);
      columns.y.resize(padded, 0.0f);
      columns.z.resize(padded, 0.0f);
    }
  }

  // 1 / squaredDistance(p, q) for every boundary point q of the region, four at a time: the
  // same operations in the same order in every lane.
  void inverseSquaredDistances(const MQPoint& p, int region, std::vector<float>& weights) {
    const BoundaryColumns& q = regionColumns_[static_cast<size_t>(region)];
    weights.resize(q.x.size());
    const __m128 px = _mm_set1_ps(p.x), py = _mm_set1_ps(p.y), pz = _mm_set1_ps(p.z);
    const __m128 one = _mm_set1_ps(1.0f);
    for (size_t b = 0; b < q.x.size(); b += 4) {
      const __m128 dy = _mm_sub_ps(py, _mm_loadu_ps(&q.y[b]));
      const __m128 dx = _mm_sub_ps(px, _mm_loadu_ps(&q.x[b]));
      const __m128 dz = _mm_sub_ps(pz, _mm_loadu_ps(&q.z[b]));
      const __m128 sum = _mm_add_ps(_mm_mul_ps(dy, dy), _mm_mul_ps(dx, dx));
      _mm_storeu_ps(&weights[b], _mm_div_ps(one, _mm_add_ps(sum, _mm_mul_ps(dz, dz))));
    }
  }

  void interpolateGroup(size_t first, size_t end) {
    // Rows padded to whole groups of four lanes; the padding stays zero and is never written.
    const size_t width = ((end - first) * 3 + 3) / 4 * 4;
    const int sourceCount = sourcePositions_.count();
    // Row s, column 3 (k - first) + c: component c of element k's offset at slot s's vertex.
    std::vector<float> offsets(slotSources_.size() * width, 0.0f);
    std::vector<int> newCounts;
    for (size_t k = first; k < end; ++k) {
      const MQObject element = plugin_.elements[k].object;
      const int elementCount = std::min(MQObj_GetVertexCount(element), sourceCount);
      newCounts.push_back(MQObj_GetVertexCount(plugin_.newElements[k].object));
      for (size_t s = 0; s < slotSources_.size(); ++s) {
        const int l = slotSources_[s];
        if (l < 0 || l >= elementCount)
          continue;
        MQPoint e{0, 0, 0};
        MQObj_GetVertex(element, l, &e);
        const MQPoint d = difference(e, sourcePositions_.at(l));
        float* row = &offsets[s * width + (k - first) * 3];
        row[0] = d.x;
        row[1] = d.y;
        row[2] = d.z;
      }
    }
    std::vector<float> sums(width), weights;
    for (const Target& t : added_) {
      const std::vector<BoundaryPoint>& boundary = regionPoints_[static_cast<size_t>(t.region)];
      const MQPoint& p = destinationPositions_.at(t.vertex);
      std::fill(sums.begin(), sums.end(), 0.0f);
      const BoundaryPoint* coincident = nullptr;
      for (const BoundaryPoint& b : boundary)
        if (p.x == b.position.x && p.y == b.position.y && p.z == b.position.z) {
          coincident = &b;
          break;
        }
      if (coincident) {
        const float* row = &offsets[static_cast<size_t>(coincident->slot) * width];
        std::copy(row, row + width, sums.begin());
      } else if (!boundary.empty()) {
        inverseSquaredDistances(p, t.region, weights);
        float weightSum = 0.0f;
        for (size_t b = 0; b < boundary.size(); ++b)
          weightSum += weights[b];
        // Element by element the sum runs over the boundary in ascending order.
        // Four lanes at a time: each lane is the same single-precision multiply and add.
        float* sum = sums.data();
        for (size_t b = 0; b < boundary.size(); ++b) {
          const __m128 w = _mm_set1_ps(weights[b]);
          const float* row = &offsets[static_cast<size_t>(boundary[b].slot) * width];
          for (size_t c = 0; c < width; c += 4)
            _mm_storeu_ps(sum + c,
                          _mm_add_ps(_mm_loadu_ps(sum + c), _mm_mul_ps(w, _mm_loadu_ps(row + c))));
        }
        if (weightSum != 0.0f)
          for (size_t c = 0; c < width; ++c)
            sum[c] = sum[c] / weightSum;
      }
      for (size_t k = first; k < end; ++k) {
        if (t.vertex >= newCounts[k - first])
          continue;
        const float* s = &sums[(k - first) * 3];
        moveVertex(plugin_.newElements[k].object, t.vertex, MQPoint{s[0], s[1], s[2]},
                   settings_.mirrorMorph, settings_.rate);
      }
    }
  }

  Tovalinder& plugin_;
  const TransferSettings& settings_;
  SourceLookup& sourceOf_;
  PositionCache sourcePositions_;
  PositionCache destinationPositions_;
  std::unique_ptr<MeshTopology> topology_;
  std::unique_ptr<AddedRegions> regions_;
  std::vector<Target> direct_;
  std::vector<Target> added_;
  std::vector<std::vector<BoundaryPoint>> regionPoints_;
  std::vector<BoundaryColumns> regionColumns_;
  std::vector<int> slotSources_;
};

} // namespace

bool facePassRuns() {
  const TransferSettings& settings = transferSettings();
  return settings.copyMaterials || settings.copyUvs || settings.copyEdges;
}

} // namespace transfer

void Tovalinder::transferMorphs() {
  // Without element pairs nothing is written and no face is paired.
  if (elements.empty() || newElements.empty())
    return;
  const int n = std::max(0, MQObj_GetVertexCount(destination.object));
  transfer::SourceLookup sourceOf(*this, n);
  std::vector<int> vertexPairs(static_cast<size_t>(n), transfer::kNoPair);
  {
    transfer::VertexPass pass(*this, sourceOf);
    pass.collectTargets(vertexPairs);
    pass.moveMatchedVertices();
    pass.moveAddedVertices();
  }
  if (transfer::facePassRuns())
    transfer::copyFaceAttributes(*this, vertexPairs);
}
