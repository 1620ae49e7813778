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

namespace {

// Whether triangles t and t + 1 are the two halves of a quad (a, b, c, d) as exporters write it,
// (a, b, c) then (a, c, d), over the same glTF vertices (so with the same UVs) and material.
bool halvesOfQuad(const MeshGeometry& mesh, const VertexWeld& weld, size_t t) {
  if (t + 1 >= mesh.triangleMaterials.size() ||
      mesh.triangleMaterials[t] != mesh.triangleMaterials[t + 1])
    return false;
  const std::uint32_t* first = &mesh.triangles[t * 3];
  const std::uint32_t* second = first + 3;
  if (first[0] != second[0] || first[2] != second[1])
    return false;
  const int a = weld.hostOf[first[0]], b = weld.hostOf[first[1]], c = weld.hostOf[first[2]],
            d = weld.hostOf[second[2]];
  return a != b && a != c && a != d && b != c && b != d && c != d;
}

void addFace(sim::Object& object, const MeshGeometry& mesh, const VertexWeld& weld,
             const std::uint32_t* corners, int count, int material) {
  int points[4];
  for (int c = 0; c < count; ++c)
    points[c] = weld.hostOf[corners[c]];
  const int f = object.addFace(points, count);
  object.materials[static_cast<size_t>(f)] = material;
  MQCoordinate* uvs = object.faceUvs(f);
  for (int c = 0; c < count; ++c) {
    const float* uv = &mesh.uvs[size_t{corners[c]} * 2];
    uvs[c] = MQCoordinate{uv[0], uv[1]};
  }
}

} // namespace

void fillHostObject(sim::Object& object, const MeshGeometry& mesh, const VertexWeld& weld,
                    const MorphTarget* target) {
  const size_t triangles = mesh.triangleMaterials.size();
  object.reserve(weld.firstOf.size(), triangles, triangles * 3);
  for (std::uint32_t first : weld.firstOf)
    object.addVertex(morphed(mesh, first, target));
  for (size_t t = 0; t < triangles; ++t) {
    const std::uint32_t* corners = &mesh.triangles[t * 3];
    if (halvesOfQuad(mesh, weld, t)) {
      const std::uint32_t quad[4] = {corners[0], corners[1], corners[2], corners[5]};
      addFace(object, mesh, weld, quad, 4, mesh.triangleMaterials[t]);
      ++t;
    } else {
      addFace(object, mesh, weld, corners, 3, mesh.triangleMaterials[t]);
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
