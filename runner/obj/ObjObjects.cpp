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
  object.reserve(vertices, static_cast<size_t>(mesh.faceCount()), mesh.cornerVertex.size());
  for (size_t v = 0; v < vertices; ++v)
    object.addVertex(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]);
  for (int f = 0; f < mesh.faceCount(); ++f) {
    const size_t first = mesh.faceStart[static_cast<size_t>(f)];
    const size_t end = mesh.faceStart[static_cast<size_t>(f) + 1];
    const int face =
        object.addFace(mesh.cornerVertex.data() + first, static_cast<int>(end - first));
    const int material = mesh.faceMaterial[static_cast<size_t>(f)];
    object.materials[static_cast<size_t>(face)] =
        material < 0 ? -1 : materials[static_cast<size_t>(material)];
    MQCoordinate* uvs = object.faceUvs(face);
    for (size_t c = first; c < end; ++c)
      if (const int uv = mesh.cornerUv[c]; uv >= 0)
        uvs[c - first] = MQCoordinate{mesh.uvs[2 * static_cast<size_t>(uv)],
                                      mesh.uvs[2 * static_cast<size_t>(uv) + 1]};
  }
  object.invalidateCaches();
}

void fillElement(sim::Object& element, const sim::Object& base,
                 const std::vector<float>& positions) {
  element.copyGeometry(base);
  for (size_t v = 0; v < element.positions.size(); ++v)
    element.positions[v] = MQPoint{positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]};
}

void continueUniqueIds(sim::Object& object, const sim::Object& after) {
  object.nextVertexUniqueId = std::max(object.nextVertexUniqueId, after.nextVertexUniqueId);
  object.nextFaceUniqueId = std::max(object.nextFaceUniqueId, after.nextFaceUniqueId);
}

Mesh meshOf(const sim::Object& object) {
  Mesh mesh;
  mesh.file = object.name;
  mesh.positions = positionsOf(object);
  mesh.cornerVertex = object.points;
  mesh.faceStart = object.faceStart;
  mesh.faceMaterial = object.materials;
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> uvIndex;
  for (const MQCoordinate& uv : object.uvs) {
    std::pair<std::uint32_t, std::uint32_t> bits;
    std::memcpy(&bits.first, &uv.u, sizeof(float));
    std::memcpy(&bits.second, &uv.v, sizeof(float));
    const auto [found, added] = uvIndex.emplace(bits, static_cast<int>(uvIndex.size()));
    if (added) {
      mesh.uvs.push_back(uv.u);
      mesh.uvs.push_back(uv.v);
    }
    mesh.cornerUv.push_back(found->second);
  }
  for (int material : object.materials)
    while (material >= static_cast<int>(mesh.materials.size()))
      mesh.materials.push_back("material" + std::to_string(mesh.materials.size()));
  return mesh;
}

std::vector<float> positionsOf(const sim::Object& object) {
  std::vector<float> positions;
  positions.reserve(object.positions.size() * 3);
  for (const MQPoint& p : object.positions) {
    positions.push_back(p.x);
    positions.push_back(p.y);
    positions.push_back(p.z);
  }
  return positions;
}

} // namespace runner::obj
