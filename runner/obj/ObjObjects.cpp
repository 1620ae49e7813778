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

PolygonArrays polygonsOf(const Mesh& mesh, const std::vector<int>& materials) {
  PolygonArrays out;
  out.positions = mesh.positions;
  out.faceStart = mesh.faceStart;
  out.points = mesh.cornerVertex;
  out.uvs.reserve(mesh.cornerUv.size() * 2);
  for (const int uv : mesh.cornerUv)
    if (uv >= 0)
      out.uvs.insert(out.uvs.end(), {mesh.uvs[2 * static_cast<size_t>(uv)],
                                     mesh.uvs[2 * static_cast<size_t>(uv) + 1]});
    else
      out.uvs.insert(out.uvs.end(), {0.0f, 0.0f});
  out.materials.reserve(mesh.faceMaterial.size());
  for (const int material : mesh.faceMaterial)
    out.materials.push_back(material < 0 ? -1 : materials[static_cast<size_t>(material)]);
  return out;
}

Mesh objMeshOf(const PolygonArrays& polygons, const std::string& file) {
  Mesh mesh;
  mesh.file = file;
  mesh.positions = polygons.positions;
  mesh.cornerVertex = polygons.points;
  mesh.faceStart = polygons.faceStart;
  mesh.faceMaterial = polygons.materials;
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> uvIndex;
  for (size_t c = 0; c < polygons.points.size(); ++c) {
    const float* uv = &polygons.uvs[2 * c];
    std::pair<std::uint32_t, std::uint32_t> bits;
    std::memcpy(&bits.first, &uv[0], sizeof(float));
    std::memcpy(&bits.second, &uv[1], sizeof(float));
    const auto [found, added] = uvIndex.emplace(bits, static_cast<int>(uvIndex.size()));
    if (added)
      mesh.uvs.insert(mesh.uvs.end(), {uv[0], uv[1]});
    mesh.cornerUv.push_back(found->second);
  }
  for (int material : polygons.materials)
    while (material >= static_cast<int>(mesh.materials.size()))
      mesh.materials.push_back("material" + std::to_string(mesh.materials.size()));
  return mesh;
}

} // namespace runner::obj
