#include "HostObjects.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace runner {

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

void fillObject(sim::Object& object, const PolygonArrays& mesh) {
  const size_t vertices = mesh.positions.size() / 3, faces = mesh.faceStart.size() - 1;
  object.reserve(vertices, faces, mesh.points.size());
  for (size_t v = 0; v < vertices; ++v)
    object.addVertex(mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2]);
  for (size_t f = 0; f < faces; ++f) {
    const size_t first = mesh.faceStart[f], end = mesh.faceStart[f + 1];
    const int face = object.addFace(mesh.points.data() + first, static_cast<int>(end - first));
    object.editMaterials()[static_cast<size_t>(face)] = mesh.materials[f];
    MQCoordinate* uvs = object.editFaceUvs(face);
    for (size_t c = first; c < end; ++c)
      uvs[c - first] = MQCoordinate{mesh.uvs[2 * c], mesh.uvs[2 * c + 1]};
  }
}

void fillElement(sim::Object& element, const sim::Object& base,
                 const std::vector<float>& positions) {
  // A clone of the base: every array shared with it but the positions, which are the element's.
  element.copyGeometry(base);
  std::vector<MQPoint> own(base.positions.size());
  for (size_t v = 0; v < own.size(); ++v)
    own[v] = MQPoint{positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]};
  element.setPositions(std::move(own));
}

void continueUniqueIds(sim::Object& object, const sim::Object& after) {
  object.nextVertexUniqueId = std::max(object.nextVertexUniqueId, after.nextVertexUniqueId);
  object.nextFaceUniqueId = std::max(object.nextFaceUniqueId, after.nextFaceUniqueId);
}

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
}

PolygonArrays arraysOf(const sim::Object& object) {
  PolygonArrays mesh;
  mesh.positions = positionsOf(object);
  mesh.faceStart = object.faceStart;
  mesh.points = object.points;
  mesh.uvs.reserve(object.uvs.size() * 2);
  for (const MQCoordinate& uv : object.uvs)
    mesh.uvs.insert(mesh.uvs.end(), {uv.u, uv.v});
  mesh.materials = object.materials;
  return mesh;
}

std::vector<float> positionsOf(const sim::Object& object) {
  std::vector<float> positions;
  positions.reserve(object.positions.size() * 3);
  for (const MQPoint& p : object.positions)
    positions.insert(positions.end(), {p.x, p.y, p.z});
  return positions;
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

std::vector<quality::Vec3> pointsOf(const sim::Object& object) {
  std::vector<quality::Vec3> points;
  points.reserve(object.positions.size());
  for (const MQPoint& p : object.positions)
    points.push_back(quality::Vec3{p.x, p.y, p.z});
  return points;
}

quality::PolygonMesh polygonMeshOf(const sim::Object& object) {
  quality::PolygonMesh mesh;
  mesh.positions = pointsOf(object);
  mesh.faceStart = object.faceStart;
  mesh.points = object.points;
  return mesh;
}

void setPosition(sim::Object& object, int vertex, const quality::Vec3& position) {
  object.editPositions()[static_cast<size_t>(vertex)] = MQPoint{position.x, position.y, position.z};
}

} // namespace runner
