#include "transfer/KeptFaceAttributes.h"

#include "host/HostTable.h"

namespace transfer {

KeptFaceAttributes::KeptFaceAttributes(MQObject destinationObject, const MeshSnapshot& destination,
                                       const std::vector<int>& faces, bool uniqueIds,
                                       bool materials, bool uvs, bool creases)
    : destination_(destination) {
  if (uniqueIds)
    uniqueIds_.assign(static_cast<size_t>(destination.faceCount()), 0);
  if (materials)
    materials_.assign(static_cast<size_t>(destination.faceCount()), -1);
  // Corners the host leaves unfilled read as the fill call's starting value.
  if (uvs)
    uvs_.assign(destination.points.size(), MQCoordinate{0.0f, 0.0f});
  if (creases)
    creases_.assign(destination.points.size(), 0.0f);
  for (int face : faces) {
    const size_t first = destination.faceStart[static_cast<size_t>(face)];
    const int count = destination.facePointCount(face);
    if (uniqueIds)
      uniqueIds_[static_cast<size_t>(face)] = MQObj_GetFaceUniqueID(destinationObject, face);
    if (materials)
      materials_[static_cast<size_t>(face)] = MQObj_GetFaceMaterial(destinationObject, face);
    if (uvs && count > 0)
      MQObj_GetFaceCoordinateArray(destinationObject, face, uvs_.data() + first);
    if (creases)
      for (int edge = 0; edge < count; ++edge)
        creases_[first + static_cast<size_t>(edge)] =
            MQObj_GetFaceEdgeCrease(destinationObject, face, edge);
  }
}

bool KeptFaceAttributes::hasMaterial(int face, int material) const {
  return !materials_.empty() && materials_[static_cast<size_t>(face)] == material;
}

bool KeptFaceAttributes::hasUvs(int face, const MQCoordinate* corners) const {
  const size_t first = destination_.faceStart[static_cast<size_t>(face)];
  return !uvs_.empty() && sameBits(uvs_.data() + first, corners,
                                   static_cast<size_t>(destination_.facePointCount(face)));
}

} // namespace transfer
