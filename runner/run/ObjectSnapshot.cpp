#include "ObjectSnapshot.h"

namespace runner {

transfer::MeshSnapshot snapshotOf(const sim::Object& object, unsigned parts) {
  transfer::MeshSnapshot mesh;
  mesh.parts = parts | transfer::kVertexCount;
  mesh.vertexCount = object.vertexCount();
  if (parts & transfer::kPositions)
    mesh.positions = object.positions;
  if (parts & transfer::kUsedFlags)
    for (int v = 0; v < mesh.vertexCount; ++v)
      mesh.used.push_back(object.refCount(v) > 0);
  if (parts & transfer::kFaces) {
    mesh.faceStart = object.faceStart;
    mesh.points = object.points;
  }
  return mesh;
}

MQPoint positionOf(const sim::Object& object, int vertex) {
  return object.positions[static_cast<size_t>(vertex)];
}

MQDWORD vertexUniqueIdOf(const sim::Object& object, int vertex) {
  return object.vertexIds[static_cast<size_t>(vertex)];
}

MQDWORD faceUniqueIdOf(const sim::Object& object, int face) {
  return object.faceIds[static_cast<size_t>(face)];
}

} // namespace runner
