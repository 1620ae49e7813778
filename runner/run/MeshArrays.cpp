#include "MeshArrays.h"

namespace runner {

std::vector<quality::Vec3> positionsOf(const sim::Object& object) {
  std::vector<quality::Vec3> positions;
  positions.reserve(object.vertices.size());
  for (const sim::Vertex& v : object.vertices)
    positions.push_back(quality::Vec3{v.position.x, v.position.y, v.position.z});
  return positions;
}

quality::PolygonMesh polygonMeshOf(const sim::Object& object) {
  quality::PolygonMesh mesh;
  mesh.positions = positionsOf(object);
  for (const sim::Face& face : object.faces)
    mesh.addFace(face.points);
  return mesh;
}

void setPosition(sim::Object& object, int vertex, const quality::Vec3& position) {
  object.vertices[static_cast<size_t>(vertex)].position =
      MQPoint{position.x, position.y, position.z};
}

} // namespace runner
