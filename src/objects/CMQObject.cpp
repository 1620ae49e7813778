#include "objects/CMQObject.h"

#include "host/HostTable.h"

#include <cstring>

namespace cmq {
namespace {

// A host name is the text up to the first NUL; a host that fills the whole buffer without
// one still yields at most the buffer's bytes.
std::string nameFromBuffer(const char* buffer) {
  return std::string(buffer, strnlen(buffer, kNameBufferSize));
}

} // namespace

bool CMQObject::isValid() const {
  return object && document && MQDoc_GetObjectIndex(document, object) >= 0;
}

CMQObject CMQObject::clone() const { return CMQObject(MQObj_Clone(object), document); }

std::string CMQObject::name() const {
  char buffer[kNameBufferSize] = {};
  MQObj_GetName(object, buffer, kNameBufferSize);
  return nameFromBuffer(buffer);
}

std::vector<int> CMQObject::relatedFaces(int vertex) const {
  const int count = MQObj_GetVertexRelatedFaces(object, vertex, static_cast<int*>(nullptr));
  if (count <= 0)
    return {};
  std::vector<int> faces(static_cast<size_t>(count));
  const int written = MQObj_GetVertexRelatedFaces(object, vertex, faces.data());
  // A host whose answer shrank between the two calls has filled only the first entries.
  if (written >= 0 && written < count)
    faces.resize(static_cast<size_t>(written));
  return faces;
}

std::vector<int> CMQObject::facePoints(int face) const {
  const int count = MQObj_GetFacePointCount(object, face);
  if (count <= 0)
    return {};
  std::vector<int> points(static_cast<size_t>(count));
  MQObj_GetFacePointArray(object, face, points.data());
  return points;
}

std::vector<CornerUv> CMQObject::readCornerUvs(int face) const {
  const int count = MQObj_GetFacePointCount(object, face);
  if (count <= 0)
    return {};
  std::vector<int> points(static_cast<size_t>(count));
  std::vector<MQCoordinate> uvs(static_cast<size_t>(count));
  MQObj_GetFacePointArray(object, face, points.data());
  MQObj_GetFaceCoordinateArray(object, face, uvs.data());
  std::vector<CornerUv> corners(static_cast<size_t>(count));
  for (size_t i = 0; i < corners.size(); ++i)
    corners[i] = CornerUv{points[i], uvs[i].u, uvs[i].v};
  return corners;
}

void CMQObject::writeCornerUvs(int face, const std::vector<CornerUv>& corners) const {
  std::vector<MQCoordinate> uvs(corners.size());
  for (size_t i = 0; i < corners.size(); ++i)
    uvs[i] = MQCoordinate{corners[i].u, corners[i].v};
  MQObj_SetFaceCoordinateArray(object, face, uvs.data());
}

CMQObject objectAt(MQDocument document, int index) {
  return CMQObject(MQDoc_GetObject(document, index), document);
}

std::string unusedObjectName(MQDocument document, const std::string& proposal) {
  char buffer[kNameBufferSize] = {};
  MQDoc_GetUnusedObjectName(document, buffer, kNameBufferSize, proposal.c_str());
  return nameFromBuffer(buffer);
}

CMQObject findObjectByName(MQDocument document, const std::string& name) {
  if (MQDoc_GetObjectCount(document) <= 0)
    return CMQObject();
  for (int i = 0; i < MQDoc_GetObjectCount(document); ++i) {
    CMQObject candidate = objectAt(document, i);
    if (!candidate.isValid())
      continue;
    if (candidate.name() == name)
      return candidate;
  }
  return CMQObject();
}

} // namespace cmq
