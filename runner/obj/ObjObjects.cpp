#include "ObjObjects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

namespace runner::obj {

std::vector<int> MaterialTable::add(const Mesh& mesh) {
  std::vector<int> indices;
  for (const std::string& name : mesh.materials) {
    const auto found = std::find(names_.begin(), names_.end(), name);
    indices.push_back(static_cast<int>(found - names_.begin()));
    if (found == names_.end())
      names_.push_back(name);
  }
  return indices;
}

void fillObject(sim::Object& object, const Mesh& mesh, const std::vector<float>& positions,
                const std::vector<int>& materials) {
  const size_t vertices = positions.size() / 3;
  object.vertices.reserve(vertices);
  for (size_t v = 0; v < vertices; ++v)
    object.addVertex(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]);
  object.faces.reserve(static_cast<size_t>(mesh.faceCount()));
  std::vector<int> points;
  for (int f = 0; f < mesh.faceCount(); ++f) {
    const size_t first = mesh.faceStart[static_cast<size_t>(f)];
    const size_t end = mesh.faceStart[static_cast<size_t>(f) + 1];
    points.assign(mesh.cornerVertex.begin() + static_cast<long>(first),
                  mesh.cornerVertex.begin() + static_cast<long>(end));
    sim::Face& face = object.faces[static_cast<size_t>(object.addFace(points))];
    const int material = mesh.faceMaterial[static_cast<size_t>(f)];
    face.material = material < 0 ? -1 : materials[static_cast<size_t>(material)];
    for (size_t c = first; c < end; ++c)
      if (const int uv = mesh.cornerUv[c]; uv >= 0)
        face.uvs[c - first] = MQCoordinate{mesh.uvs[2 * static_cast<size_t>(uv)],
                                           mesh.uvs[2 * static_cast<size_t>(uv) + 1]};
  }
  object.invalidateCaches();
}

void continueUniqueIds(sim::Object& object, const sim::Object& after) {
  object.nextVertexUniqueId = std::max(object.nextVertexUniqueId, after.nextVertexUniqueId);
  object.nextFaceUniqueId = std::max(object.nextFaceUniqueId, after.nextFaceUniqueId);
}

Mesh meshOf(const sim::Object& object) {
  Mesh mesh;
  mesh.file = object.name;
  mesh.positions = positionsOf(object);
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> uvIndex;
  for (const sim::Face& face : object.faces) {
    for (size_t c = 0; c < face.points.size(); ++c) {
      std::pair<std::uint32_t, std::uint32_t> bits;
      std::memcpy(&bits.first, &face.uvs[c].u, sizeof(float));
      std::memcpy(&bits.second, &face.uvs[c].v, sizeof(float));
      const auto [found, added] = uvIndex.emplace(bits, static_cast<int>(uvIndex.size()));
      if (added) {
        mesh.uvs.push_back(face.uvs[c].u);
        mesh.uvs.push_back(face.uvs[c].v);
      }
      mesh.cornerVertex.push_back(face.points[c]);
      mesh.cornerUv.push_back(found->second);
    }
    mesh.faceStart.push_back(mesh.cornerVertex.size());
    mesh.faceMaterial.push_back(face.material);
    while (face.material >= static_cast<int>(mesh.materials.size()))
      mesh.materials.push_back("material" + std::to_string(mesh.materials.size()));
  }
  return mesh;
}

std::vector<float> positionsOf(const sim::Object& object) {
  std::vector<float> positions;
  positions.reserve(object.vertices.size() * 3);
  for (const sim::Vertex& vertex : object.vertices) {
    positions.push_back(vertex.position.x);
    positions.push_back(vertex.position.y);
    positions.push_back(vertex.position.z);
  }
  return positions;
}

} // namespace runner::obj
