// A small avatar as a VRM file, the way avatar tools write one: a face of three primitives on a
// skin over a full humanoid skeleton, morph targets named in extras.targetNames, and expressions
// bound to them by index, in the VRM 1.0 form (VRMC_vrm) or the VRM 0.x form (VRM). Its edited
// copy, as after a re-mesh or a re-export, has a row of vertices added across the middle and has
// lost most of its targets and the expressions bound to them: it keeps "blink" (with its
// expression), and a target and custom expression of its own.
#pragma once

#include "GltfAsset.h"

#include <array>
#include <string>
#include <vector>

namespace gltf_test {

enum class VrmForm { One, Zero };

// The Source's morphs as fields over the face (a grid in x, y from 0 to 1): each expression moves
// a vertex at (x, y) by the sum of its binds' weights times these.
std::array<float, 3> morphField(const std::string& morph, float x, float y);

// The Source's expressions (VRM 1.0 names) and the morphs they bind, with weights from 0 to 1.
struct AvatarExpression {
  std::string name;
  bool custom = false;
  std::vector<std::pair<std::string, double>> binds;
};
const std::vector<AvatarExpression>& avatarExpressions();

// The same with "surprised" (smile at 0.5 on the face, the brows' "raise" at 1).
const std::vector<AvatarExpression>& avatarExpressionsWithBrows();

// The Source avatar (targets smile, blink, angry) and its edited copy (targets blink, extra).
// brows: a second mesh "Brows" beside the face, with the target "raise" in the Source and none in
// the edited copy, which lacks "surprised" too.
runner::GltfJson writeSourceAvatar(const std::string& path, VrmForm form, bool brows = false);
runner::GltfJson writeEditedAvatar(const std::string& path, VrmForm form, bool brows = false);

} // namespace gltf_test
