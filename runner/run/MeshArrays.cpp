#include "MeshArrays.h"

namespace runner {

std::vector<quality::Vec3> positionsOf(const sim::Object& object) {
  std::vector<quality::Vec3> positions;
  positions.reserve(object.positions.size());
  for (const MQPoint& p : object.positions)
    positions.push_back(quality::Vec3{p.x, p.y, p.z});
  return positions;
}

quality::PolygonMesh polygonMeshOf(const sim::Object& object) {
  quality::PolygonMesh mesh;
  mesh.positions = positionsOf(object);
  mesh.faceStart = object.faceStart;
  mesh.points = object.points;
  return mesh;
}

void setPosition(sim::Object& object, int vertex, const quality::Vec3& position) {
  object.positions[static_cast<size_t>(vertex)] = MQPoint{position.x, position.y, position.z};
}

} // namespace runner
