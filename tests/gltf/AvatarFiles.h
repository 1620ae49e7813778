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

// The Source avatar (targets smile, blink, angry) and its edited copy (targets blink, extra).
runner::GltfJson writeSourceAvatar(const std::string& path, VrmForm form);
runner::GltfJson writeEditedAvatar(const std::string& path, VrmForm form);

} // namespace gltf_test
