#include "transfer/HostMeshReader.h"

#include "host/HostTable.h"

#include <algorithm>

namespace transfer {
namespace {

void readPositions(MQObject object, MeshSnapshot& mesh) {
  mesh.positions.assign(static_cast<size_t>(mesh.vertexCount), MQPoint{0, 0, 0});
  for (int v = 0; v < mesh.vertexCount; ++v)
    MQObj_GetVertex(object, v, &mesh.positions[static_cast<size_t>(v)]);
}

void readUsedFlags(MQObject object, MeshSnapshot& mesh) {
  mesh.used.assign(static_cast<size_t>(mesh.vertexCount), 0);
  for (int v = 0; v < mesh.vertexCount; ++v)
    mesh.used[static_cast<size_t>(v)] = MQObj_GetVertexRefCount(object, v) > 0;
}

void readFaces(MQObject object, MeshSnapshot& mesh) {
  const int faceCount = std::max(0, MQObj_GetFaceCount(object));
  mesh.faceStart.assign(1, 0);
  mesh.faceStart.reserve(static_cast<size_t>(faceCount) + 1);
  mesh.points.clear();
  for (int f = 0; f < faceCount; ++f) {
    const int count = MQObj_GetFacePointCount(object, f);
    if (count > 0) {
      const size_t start = mesh.points.size();
      // Entries the host leaves unfilled name no vertex.
      mesh.points.resize(start + static_cast<size_t>(count), -1);
      MQObj_GetFacePointArray(object, f, mesh.points.data() + start);
    }
    mesh.faceStart.push_back(mesh.points.size());
  }
}

} // namespace

void readMesh(MQObject object, unsigned parts, MeshSnapshot& mesh) {
  const unsigned missing = (parts | kVertexCount) & ~mesh.parts;
  if (!missing)
    return;
  if (missing & kVertexCount)
    mesh.vertexCount = std::max(0, MQObj_GetVertexCount(object));
  if (missing & kPositions)
    readPositions(object, mesh);
  if (missing & kUsedFlags)
    readUsedFlags(object, mesh);
  if (missing & kFaces)
    readFaces(object, mesh);
  mesh.parts |= missing;
}

} // namespace transfer
