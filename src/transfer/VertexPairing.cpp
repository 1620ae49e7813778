#include "transfer/VertexPairing.h"

#include "transfer/SequenceDiff.h"

namespace transfer {
namespace {

// The used vertices of a mesh in ascending order, with their positions.
struct UsedVertices {
  std::vector<int> indices;
  std::vector<MQPoint> positions;
};

UsedVertices usedVertices(const MeshSnapshot& mesh) {
  UsedVertices used;
  for (int v = 0; v < mesh.vertexCount; ++v) {
    if (!mesh.used[static_cast<size_t>(v)])
      continue;
    used.indices.push_back(v);
    used.positions.push_back(mesh.positions[static_cast<size_t>(v)]);
  }
  return used;
}

} // namespace

std::vector<int> pairByPosition(const MeshSnapshot& source, const MeshSnapshot& destination) {
  const UsedVertices a = usedVertices(source);
  const UsedVertices b = usedVertices(destination);
  const std::vector<int> matched = alignSequences(a.positions, b.positions);
  std::vector<int> pairing(static_cast<size_t>(destination.vertexCount), kNoSourceVertex);
  for (size_t j = 0; j < b.indices.size(); ++j)
    if (matched[j] >= 0)
      pairing[static_cast<size_t>(b.indices[j])] = a.indices[static_cast<size_t>(matched[j])];
  return pairing;
}

std::vector<int> throughMirror(const std::vector<int>& pairing, const std::vector<int>& partners) {
  std::vector<int> mirrored(pairing.size(), kNoSourceVertex);
  for (size_t v = 0; v < pairing.size(); ++v) {
    const int looked = lookedUpVertex(static_cast<int>(v), v < partners.size() ? partners[v] : -1);
    if (static_cast<size_t>(looked) < pairing.size())
      mirrored[v] = pairing[static_cast<size_t>(looked)];
  }
  return mirrored;
}

} // namespace transfer
