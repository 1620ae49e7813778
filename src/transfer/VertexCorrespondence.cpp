// The correspondence stages: the left/right mirror partners into mirrorMap, the position
// alignment into vertexMap, and the lookup every later stage asks for a Destination vertex's
// Source vertex. The work itself is done on the run's mesh snapshots by the pure functions.
#include "transfer/VertexCorrespondence.h"

#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/HostMeshReader.h"
#include "transfer/MirrorPartners.h"
#include "transfer/Tolerances.h"
#include "transfer/TransferSettings.h"
#include "transfer/VertexPairing.h"

namespace transfer {

bool positionsMatch(const VertexRef& a, const VertexRef& b) {
  const Tovalinder& plugin = pluginObject();
  auto read = [&](const VertexRef& ref) {
    MQPoint position{0, 0, 0};
    MQObj_GetVertex(ref.side == 1 ? plugin.source.object : plugin.destination.object, ref.index,
                    &position);
    return position;
  };
  return samePosition(read(a), read(b));
}

} // namespace transfer

const transfer::MeshSnapshot& Tovalinder::sourceMesh(unsigned parts) {
  transfer::readMesh(source.object, parts, sourceSnapshot_);
  return sourceSnapshot_;
}

const transfer::MeshSnapshot& Tovalinder::destinationMesh(unsigned parts) {
  transfer::readMesh(destination.object, parts, destinationSnapshot_);
  return destinationSnapshot_;
}

void Tovalinder::buildMirrorMap() {
  if (!transferSettings().mirrorMorph)
    return;
  const transfer::MeshSnapshot& mesh = destinationMesh(transfer::kPositions | transfer::kUsedFlags);
  const std::vector<int> partners = transfer::findMirrorPartners(mesh.positions, mesh.used);
  mirrorMap.reserve(mirrorMap.size() + partners.size());
  for (size_t v = 0; v < partners.size(); ++v)
    if (partners[v] >= 0)
      mirrorMap.insert(static_cast<int>(v), partners[v]);
}

void Tovalinder::buildVertexMap() {
  if (transferSettings().useUniqueIds)
    return;
  const unsigned parts = transfer::kPositions | transfer::kUsedFlags;
  const transfer::MeshSnapshot& sourceVertices = sourceMesh(parts);
  const transfer::MeshSnapshot& destinationVertices = destinationMesh(parts);
  const std::vector<int> pairing = transfer::pairByPosition(sourceVertices, destinationVertices);
  vertexMap.reserve(vertexMap.size() + pairing.size());
  for (size_t v = 0; v < pairing.size(); ++v)
    if (destinationVertices.used[v])
      vertexMap.insert(static_cast<int>(v), pairing[v]);
}

int Tovalinder::findSourceVertex(int v) const {
  const TransferSettings& settings = transferSettings();
  if (settings.mirrorMorph)
    v = transfer::lookedUpVertex(v, mirrorMap.find(v, -1));
  if (settings.useUniqueIds)
    return MQObj_GetVertexIndexFromUniqueID(source.object,
                                            MQObj_GetVertexUniqueID(destination.object, v));
  return vertexMap.find(v, transfer::kNoSourceVertex);
}
