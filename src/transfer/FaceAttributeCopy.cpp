#include "transfer/FaceAttributeCopy.h"

#include "host/HostTable.h"
#include "transfer/FacePairing.h"
#include "transfer/HostElementFaces.h"
#include "transfer/HostMeshReader.h"
#include "transfer/KeptFaceAttributes.h"

namespace transfer {
namespace {

int wrap(int value, int count) {
  return ((value % count) + count) % count;
}

// The Source corner that a Destination corner takes: corner + rotation, or rotation - corner
// when mirrored (a mirrored face runs the other way round).
int sourceCorner(int corner, int rotation, int count, bool mirror) {
  return mirror ? wrap(rotation - corner, count) : wrap(corner + rotation, count);
}

// The Source edge that a Destination edge (from its corner to the next) takes: the edge between
// the same two corners, edge + rotation, or rotation - 1 - edge when mirrored.
int sourceEdge(int edge, int rotation, int count, bool mirror) {
  return mirror ? wrap(rotation - 1 - edge, count) : wrap(edge + rotation, count);
}

// The points of a face of the new element, count of them as the host just answered.
std::vector<int> newFacePoints(MQObject newElement, int face, int count) {
  std::vector<int> points(static_cast<size_t>(std::max(0, count)), -1);
  if (count > 0)
    MQObj_GetFacePointArray(newElement, face, points.data());
  // An entry the host left unfilled at the end is no point of the face.
  while (!points.empty() && points.back() == -1)
    points.pop_back();
  return points;
}

template <typename Faces>
FaceMatch pairFace(const FacePassInput& in, const ElementPair& pair, Faces& faces, int face,
                   int count, const KeptFaceAttributes& kept) {
  if (!in.settings.mirrorMorph) {
    const int byId = MQObj_GetFaceIndexFromUniqueID(pair.element, kept.uniqueId(face));
    if (byId != -1)
      return matchByUniqueId(byId, faces.pointCount(byId), count);
  }
  const std::vector<int> points = newFacePoints(pair.newElement, face, count);
  const FaceMatch match =
      findSourceFace(faces, points.data(), static_cast<int>(points.size()), in.vertexPairs);
  // Only a face of this face's size can take its corners and edges (a host that filled fewer
  // points than it counted gives a smaller one).
  return match.face >= 0 && faces.pointCount(match.face) == count ? match : FaceMatch{};
}

// Buffers of the face pass, kept from face to face.
struct CornerBuffers {
  std::vector<MQCoordinate> corners, aligned;
};

// Copies the attributes of the matched Source face to a face of the new element; both faces
// have count points. A value the new element's face holds already is not set again.
void copyFace(const TransferSettings& settings, const ElementPair& pair, const FaceMatch& match,
              int face, int count, const KeptFaceAttributes& kept, CornerBuffers& buffers) {
  const bool mirror = settings.mirrorMorph;
  const bool known = kept.knows(face, count);
  if (settings.copyMaterials) {
    const int material = MQObj_GetFaceMaterial(pair.element, match.face);
    if (!known || !kept.hasMaterial(face, material))
      MQObj_SetFaceMaterial(pair.newElement, face, material);
  }
  if (settings.copyUvs) {
    std::vector<MQCoordinate>& corners = buffers.corners;
    std::vector<MQCoordinate>& aligned = buffers.aligned;
    corners.assign(static_cast<size_t>(count), MQCoordinate{0.0f, 0.0f});
    MQObj_GetFaceCoordinateArray(pair.element, match.face, corners.data());
    aligned.resize(corners.size());
    for (int corner = 0; corner < count; ++corner)
      aligned[static_cast<size_t>(corner)] =
          corners[static_cast<size_t>(sourceCorner(corner, match.rotation, count, mirror))];
    if (!known || !kept.hasUvs(face, aligned.data()))
      MQObj_SetFaceCoordinateArray(pair.newElement, face, aligned.data());
  }
  if (settings.copyEdges)
    for (int edge = 0; edge < count; ++edge) {
      const float crease = MQObj_GetFaceEdgeCrease(pair.element, match.face,
                                                   sourceEdge(edge, match.rotation, count, mirror));
      if (!known || !kept.hasCrease(face, edge, crease))
        MQObj_SetFaceEdgeCrease(pair.newElement, face, edge, crease);
    }
}

// The faces of one element pair; true when some face could not be paired.
template <typename Faces>
bool copyElementFaces(const FacePassInput& in, const ElementPair& pair, Faces& faces,
                      const std::vector<int>& destinationFaces, const KeptFaceAttributes& kept,
                      CornerBuffers& buffers) {
  const int newFaces = MQObj_GetFaceCount(pair.newElement);
  bool skipped = false;
  for (int face : destinationFaces) {
    if (face >= newFaces) {
      skipped = true;
      continue;
    }
    const int count = MQObj_GetFacePointCount(pair.newElement, face);
    const FaceMatch match = pairFace(in, pair, faces, face, count, kept);
    if (match.face == -1) {
      skipped = true;
      continue;
    }
    copyFace(in.settings, pair, match, face, count, kept, buffers);
  }
  return skipped;
}

// The Destination faces whose attributes are copied: those with points, and only the selected
// ones when only selected vertices take the morph.
std::vector<int> facesToCopy(const FacePassInput& in) {
  const bool selectedOnly = in.settings.selectedVerticesOnly;
  const int destinationIndex =
      selectedOnly ? MQDoc_GetObjectIndex(in.document, in.destinationObject) : -1;
  std::vector<int> faces;
  for (int face = 0; face < in.destination.faceCount(); ++face) {
    if (in.destination.facePointCount(face) == 0)
      continue;
    if (selectedOnly && !MQDoc_IsSelectFace(in.document, destinationIndex, face))
      continue;
    faces.push_back(face);
  }
  return faces;
}

} // namespace

bool copyFaceAttributes(const FacePassInput& in) {
  if (in.pairs.empty())
    return false;
  const std::vector<int> faces = facesToCopy(in);
  // The Destination's values cost as many calls as the sets they save for one element: read
  // only for more.
  const bool several = in.pairs.size() > 1;
  const KeptFaceAttributes kept(in.destinationObject, in.destination, faces,
                                !in.settings.mirrorMorph, several && in.settings.copyMaterials,
                                several && in.settings.copyUvs, several && in.settings.copyEdges);
  CornerBuffers buffers;
  HostElementFaces hostFaces(nullptr, 0);
  bool skipped = false;
  // Element by element, so that only one Source element's faces are held at a time. Mirrored
  // faces all pair through their vertices: the element's faces are read at once. Otherwise most
  // pair by unique ID, and the few that do not ask for what they need.
  for (const ElementPair& pair : in.pairs) {
    if (in.settings.mirrorMorph) {
      MeshSnapshot snapshot;
      readMesh(pair.element, kFaces, snapshot);
      ElementFaces elementFaces(std::move(snapshot));
      skipped = copyElementFaces(in, pair, elementFaces, faces, kept, buffers) || skipped;
    } else {
      hostFaces.turnTo(pair.element, pair.elementVertices);
      skipped = copyElementFaces(in, pair, hostFaces, faces, kept, buffers) || skipped;
    }
  }
  return skipped;
}

} // namespace transfer
