#include "objects/CMQObject.h"

#include "host/HostTable.h"

#include <algorithm>
#include <cstring>

namespace cmq {
namespace {

// A host name is the text up to the first NUL; a host that fills the whole buffer without
// one still yields at most the buffer's bytes.
std::string nameFromBuffer(const char* buffer) {
  return std::string(buffer, strnlen(buffer, kNameBufferSize));
}

// Entries the host did not fill keep this value: no vertex, no face.
constexpr int kUnfilled = -1;

// A host whose element shrank between the sizing call and the fill call fills only the first
// entries; the unfilled tail is no answer of the host and is dropped.
void dropUnfilledTail(std::vector<int>& indices) {
  size_t filled = indices.size();
  while (filled > 0 && indices[filled - 1] == kUnfilled)
    --filled;
  indices.resize(filled);
}

} // namespace

bool CMQObject::isValid() const {
  return object && document && MQDoc_GetObjectIndex(document, object) >= 0;
}

CMQObject CMQObject::clone() const {
  return CMQObject(MQObj_Clone(object), document);
}

std::string CMQObject::name() const {
  char buffer[kNameBufferSize] = {};
  MQObj_GetName(object, buffer, kNameBufferSize);
  return nameFromBuffer(buffer);
}

std::vector<int> CMQObject::relatedFaces(int vertex) const {
  const int count = MQObj_GetVertexRelatedFaces(object, vertex, static_cast<int*>(nullptr));
  if (count <= 0)
    return {};
  std::vector<int> faces(static_cast<size_t>(count), kUnfilled);
  const int written = MQObj_GetVertexRelatedFaces(object, vertex, faces.data());
  // A host whose answer shrank between the two calls has filled only the first entries; one
  // whose answer grew has filled no more than the buffer it was given.
  if (written >= 0 && written < count)
    faces.resize(static_cast<size_t>(written));
  dropUnfilledTail(faces);
  return faces;
}

std::vector<int> CMQObject::facePoints(int face) const {
  const int count = MQObj_GetFacePointCount(object, face);
  if (count <= 0)
    return {};
  std::vector<int> points(static_cast<size_t>(count), kUnfilled);
  MQObj_GetFacePointArray(object, face, points.data());
  dropUnfilledTail(points);
  return points;
}

std::vector<CornerUv> CMQObject::readCornerUvs(int face) const {
  const int count = MQObj_GetFacePointCount(object, face);
  if (count <= 0)
    return {};
  std::vector<int> points(static_cast<size_t>(count), kUnfilled);
  std::vector<MQCoordinate> uvs(static_cast<size_t>(count), MQCoordinate{0.0f, 0.0f});
  MQObj_GetFacePointArray(object, face, points.data());
  MQObj_GetFaceCoordinateArray(object, face, uvs.data());
  // Only corners whose point the host filled are corners of the face.
  dropUnfilledTail(points);
  std::vector<CornerUv> corners(points.size());
  for (size_t i = 0; i < corners.size(); ++i)
    corners[i] = CornerUv{points[i], uvs[i].u, uvs[i].v};
  return corners;
}

void CMQObject::writeCornerUvs(int face, const std::vector<CornerUv>& corners) const {
  // The host reads one coordinate per point that the face has now, which need not be the
  // number of records (they may come from another face): the array holds at least that many,
  // corners past the records keeping the coordinates they have.
  const int count = MQObj_GetFacePointCount(object, face);
  if (count <= 0)
    return;
  std::vector<MQCoordinate> uvs(std::max(static_cast<size_t>(count), corners.size()),
                                MQCoordinate{0.0f, 0.0f});
  if (static_cast<size_t>(count) > corners.size())
    MQObj_GetFaceCoordinateArray(object, face, uvs.data());
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
