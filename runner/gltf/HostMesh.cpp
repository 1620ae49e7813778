#include "HostMesh.h"

#include <cstring>
#include <string>
#include <unordered_map>

namespace runner {

namespace {

MQPoint morphed(const MeshGeometry& mesh, std::uint32_t v, const MorphTarget* target) {
  const float* p = &mesh.positions[size_t{v} * 3];
  if (!target)
    return MQPoint{p[0], p[1], p[2]};
  const float* d = &target->positions[size_t{v} * 3];
  return MQPoint{p[0] + d[0], p[1] + d[1], p[2] + d[2]};
}

} // namespace

void fillHostObject(sim::Object& object, const MeshGeometry& mesh, const VertexWeld& weld,
                    const MorphTarget* target) {
  const size_t triangles = mesh.triangleMaterials.size();
  object.reserve(weld.firstOf.size(), triangles, triangles * 3);
  for (std::uint32_t first : weld.firstOf)
    object.addVertex(morphed(mesh, first, target));
  int points[3];
  for (size_t t = 0; t < triangles; ++t) {
    for (size_t c = 0; c < 3; ++c)
      points[c] = weld.hostOf[mesh.triangles[t * 3 + c]];
    const int f = object.addFace(points, 3);
    object.materials[static_cast<size_t>(f)] = mesh.triangleMaterials[t];
    MQCoordinate* uvs = object.faceUvs(f);
    for (size_t c = 0; c < 3; ++c) {
      const float* uv = &mesh.uvs[size_t{mesh.triangles[t * 3 + c]} * 2];
      uvs[c] = MQCoordinate{uv[0], uv[1]};
    }
  }
  object.invalidateCaches();
}

void fillElementObject(sim::Object& element, const sim::Object& base, const MeshGeometry& mesh,
                       const VertexWeld& weld, const MorphTarget& target) {
  element.copyGeometry(base);
  for (size_t h = 0; h < weld.firstOf.size(); ++h)
    element.positions[h] = morphed(mesh, weld.firstOf[h], &target);
  element.invalidateCaches();
}

namespace {

// A face's corner positions, bit for bit, in corner order.
std::string cornerKey(const sim::Object& object, int face) {
  std::string key;
  const int* points = object.facePoints(face);
  for (int c = 0; c < object.facePointCount(face); ++c) {
    const MQPoint& p = object.positions[static_cast<size_t>(points[c])];
    key.append(reinterpret_cast<const char*>(&p), sizeof p);
  }
  return key;
}

} // namespace

void shareFaceIds(const sim::Object& source, sim::Object& destination) {
  std::unordered_map<std::string, int> sourceFaces;
  sourceFaces.reserve(static_cast<size_t>(source.faceCount()));
  for (int f = 0; f < source.faceCount(); ++f)
    sourceFaces.emplace(cornerKey(source, f), f);
  for (int f = 0; f < destination.faceCount(); ++f) {
    const auto it = sourceFaces.find(cornerKey(destination, f));
    if (it == sourceFaces.end() || it->second < 0)
      continue;
    destination.setFaceUniqueId(f, source.faceIds[static_cast<size_t>(it->second)]);
    it->second = -1; // each Source face lends its ID once
  }
  destination.invalidateCaches();
}

int hostVertexCount(const sim::Object& object) {
  return object.vertexCount();
}

MQPoint hostPosition(const sim::Object& object, int vertex) {
  return object.positions[static_cast<size_t>(vertex)];
}

} // namespace runner
