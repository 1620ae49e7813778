// The correspondence stage: the position diff into vertexMap, and the lookup that every later
// stage asks for a Destination vertex's Source vertex.
#include "transfer/VertexCorrespondence.h"

#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/TransferSettings.h"

#include <algorithm>

namespace transfer {
namespace {

// The used vertices of an object in ascending order, with their positions read once.
struct UsedVertices {
  std::vector<int> indices;
  std::vector<MQPoint> positions;
};

UsedVertices readUsedVertices(MQObject object) {
  UsedVertices used;
  const int n = MQObj_GetVertexCount(object);
  for (int i = 0; i < n; ++i) {
    if (MQObj_GetVertexRefCount(object, i) <= 0)
      continue;
    MQPoint p{0, 0, 0};
    MQObj_GetVertex(object, i, &p);
    used.indices.push_back(i);
    used.positions.push_back(p);
  }
  return used;
}

} // namespace

bool positionsMatch(const VertexRef& a, const VertexRef& b) {
  const Tovalinder& plugin = pluginObject();
  auto read = [&](const VertexRef& ref) {
    MQPoint p{0, 0, 0};
    MQObj_GetVertex(ref.side == 1 ? plugin.source.object : plugin.destination.object, ref.index,
                    &p);
    return p;
  };
  return samePosition(read(a), read(b));
}

} // namespace transfer

void Tovalinder::buildVertexMap() {
  if (transferSettings().useUniqueIds)
    return;
  const transfer::UsedVertices a = transfer::readUsedVertices(source.object);
  const transfer::UsedVertices b = transfer::readUsedVertices(destination.object);
  const std::vector<int> matched = transfer::alignSequences(a.positions, b.positions);
  vertexMap.reserve(vertexMap.size() + b.indices.size());
  for (size_t y = 0; y < b.indices.size(); ++y)
    vertexMap.insert(b.indices[y],
                     matched[y] < 0 ? -1 : a.indices[static_cast<size_t>(matched[y])]);
}

int Tovalinder::findSourceVertex(int v) const {
  const TransferSettings& settings = transferSettings();
  if (settings.mirrorMorph)
    v = mirrorMap.find(v, v);
  if (settings.useUniqueIds)
    return MQObj_GetVertexIndexFromUniqueID(source.object,
                                            MQObj_GetVertexUniqueID(destination.object, v));
  return vertexMap.find(v, -1);
}
