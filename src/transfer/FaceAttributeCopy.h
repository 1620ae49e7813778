// The face pass of the transfer: for every Destination face and element pair, the face of the
// Source element it corresponds to (FacePairing.h), and its material, corner UVs and edge creases
// copied to the same face of the new element with the corners aligned (reversed when mirrored).
// A face that cannot be paired safely keeps its attributes; the pass answers whether there was
// one. Reads the Destination from its snapshot and each Source element's faces from a snapshot of
// its own, taken when a face first needs pairing through its vertices and held while the pass
// works on that element.
// Relies on the face pairing (pure) and the bound host function table.
#pragma once

#include "transfer/ElementPairs.h"
#include "transfer/MeshSnapshot.h"
#include "transfer/TransferSettings.h"

#include <vector>

namespace transfer {

struct FacePassInput {
  const TransferSettings& settings;
  MQDocument document;
  MQObject destinationObject;          // for its face selection
  const MeshSnapshot& destination;     // faces
  const std::vector<int>& vertexPairs; // as the vertex pass recorded them
  const std::vector<ElementPair>& pairs;
};

// The pass; true when the attributes of some face could not be copied.
bool copyFaceAttributes(const FacePassInput& in);

} // namespace transfer
