// An avatar's expressions carried with its morphs: when the Source file is a VRM (VRM 1.0's
// VRMC_vrm or VRM 0.x's VRM extension), each Source expression that binds a carried Source target
// gets, in the Destination's expression of the same name, a bind to that target's place in the
// Destination, with the same weight. An expression the Destination lacks is made, with the Source
// expression's settings (binary, the override fields) but none of its material or texture binds,
// which name the Source's materials. Nothing of the Destination's is removed or changed. Preset
// names and weights (0..100 in VRM 0.x, 0..1 in VRM 1.0) map between the two versions.
// Relies on the glTF JSON tree.
#pragma once

#include "GltfAsset.h"
#include "RunFiles.h"

#include <string>
#include <vector>

namespace runner {

// A Source target written into the Destination mesh: the index of each in its mesh.
struct CarriedTarget {
  size_t source = 0;
  size_t destination = 0;
};

struct ExpressionOutcome {
  bool avatar = false;                   // the Source file is a VRM
  std::vector<ExpressionChange> changes; // RunFiles.h
  std::string note; // why no expression changed, when the Source had some to carry
};

// Edits the Destination's VRM extension in place. The meshes are indices into each file's
// "meshes".
ExpressionOutcome carryExpressions(const GltfAsset& source, size_t sourceMesh,
                                   GltfAsset& destination, size_t destinationMesh,
                                   const std::vector<CarriedTarget>& carried);

} // namespace runner
