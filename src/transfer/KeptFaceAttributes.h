// What a new element's faces hold before the face pass writes them: every new element starts as
// a copy of the Destination, made by the host together with each face's unique ID, material,
// corner UVs and edge creases, and nothing writes its faces before the face pass. So the
// Destination's own, read once for the faces the pass copies, answer for every new element:
// its faces' unique IDs need not be asked again, and a copy of a value the face already has can
// be left out (the document is the same, with fewer host calls). Values are compared bit for bit:
// -0 and 0, and NaNs with different bits, differ. Relies on the bound host function table.
#pragma once

#include "transfer/MeshSnapshot.h"
#include "transfer/SameBits.h"

#include <vector>

namespace transfer {

class KeptFaceAttributes {
public:
  // Reads the wanted attributes of the given Destination faces, each face as wide as the
  // snapshot counted it.
  KeptFaceAttributes(MQObject destinationObject, const MeshSnapshot& destination,
                     const std::vector<int>& faces, bool uniqueIds, bool materials, bool uvs,
                     bool creases);

  // The unique ID of one of the faces, when read.
  MQDWORD uniqueId(int face) const { return uniqueIds_[static_cast<size_t>(face)]; }

  // Whether a face of a new element, count points wide as the host answered, is known: a face
  // the Destination counted otherwise is not (the host answers differed), and nothing is left
  // out there.
  bool knows(int face, int count) const { return destination_.facePointCount(face) == count; }
  // For a known face: whether it holds that value already.
  bool hasMaterial(int face, int material) const;
  bool hasUvs(int face, const MQCoordinate* corners) const;
  bool hasCrease(int face, int edge, float crease) const {
    if (creases_.empty())
      return false;
    const size_t at = destination_.faceStart[static_cast<size_t>(face)] + static_cast<size_t>(edge);
    return sameBits(&creases_[at], &crease);
  }

private:
  const MeshSnapshot& destination_;
  std::vector<MQDWORD> uniqueIds_; // per face
  std::vector<int> materials_;     // per face
  std::vector<MQCoordinate> uvs_;  // per corner, at the snapshot's face offsets
  std::vector<float> creases_;     // likewise
};

} // namespace transfer
