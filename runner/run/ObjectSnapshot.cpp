#include "ObjectSnapshot.h"

namespace runner {

transfer::MeshSnapshot snapshotOf(const sim::Object& object, unsigned parts) {
  transfer::MeshSnapshot mesh;
  mesh.parts = parts;
  mesh.vertexCount = object.vertexCount();
  if (parts & transfer::kPositions)
    for (const sim::Vertex& vertex : object.vertices)
      mesh.positions.push_back(vertex.position);
  if (parts & transfer::kUsedFlags)
    for (int v = 0; v < mesh.vertexCount; ++v)
      mesh.used.push_back(object.refCount(v) > 0);
  if (parts & transfer::kFaces)
    for (const sim::Face& face : object.faces) {
      mesh.points.insert(mesh.points.end(), face.points.begin(), face.points.end());
      mesh.faceStart.push_back(mesh.points.size());
    }
  return mesh;
}

MQPoint positionOf(const sim::Object& object, int vertex) {
  return object.vertices[static_cast<size_t>(vertex)].position;
}

MQDWORD vertexUniqueIdOf(const sim::Object& object, int vertex) {
  return object.vertices[static_cast<size_t>(vertex)].uniqueId;
}

MQDWORD faceUniqueIdOf(const sim::Object& object, int face) {
  return object.faces[static_cast<size_t>(face)].uniqueId;
}

} // namespace runner
