#include "AvatarFiles.h"

#include "GltfTestSupport.h"

#include <cmath>

namespace gltf_test {

namespace {

const char* const kBones[] = {"hips",          "spine",         "head",          "leftUpperLeg",
                              "leftLowerLeg",  "leftFoot",      "rightUpperLeg", "rightLowerLeg",
                              "rightFoot",     "leftUpperArm",  "leftLowerArm",  "leftHand",
                              "rightUpperArm", "rightLowerArm", "rightHand"};
constexpr size_t kBoneCount = sizeof kBones / sizeof kBones[0];
constexpr int kColumns = 9;

enum class Brows { None, Plain, WithTarget };

float bump(float x, float y, float cx, float cy, float width) {
  return std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / width);
}

// The rows of the face, from y = 0 to 1, and the rows where each of its primitives starts and
// ends (a primitive's last row is the next one's first, its vertices repeated as exporters do).
struct Face {
  std::vector<float> rows;
  size_t splits[4];
};

Face sourceFace() {
  Face face;
  for (int r = 0; r <= 8; ++r)
    face.rows.push_back(static_cast<float>(r) / 8);
  face.splits[0] = 0, face.splits[1] = 3, face.splits[2] = 6, face.splits[3] = 8;
  return face;
}

// The edited face: a row added between rows 4 and 5.
Face editedFace() {
  Face face = sourceFace();
  face.rows.insert(face.rows.begin() + 5, 4.5f / 8);
  face.splits[2] = 7, face.splits[3] = 9;
  return face;
}

struct Primitive {
  std::vector<float> positions, normals, weights;
  std::vector<std::uint8_t> joints;
  std::vector<std::uint16_t> indices;
};

Primitive primitiveOf(const Face& face, size_t firstRow, size_t lastRow) {
  Primitive p;
  for (size_t r = firstRow; r <= lastRow; ++r)
    for (int c = 0; c < kColumns; ++c) {
      p.positions.insert(p.positions.end(),
                         {static_cast<float>(c) / (kColumns - 1), face.rows[r], 0.0f});
      p.normals.insert(p.normals.end(), {0.0f, 0.0f, 1.0f});
      p.weights.insert(p.weights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
      p.joints.insert(p.joints.end(), {0, 0, 0, 0});
    }
  for (size_t r = 0; r < lastRow - firstRow; ++r)
    for (int c = 0; c + 1 < kColumns; ++c) {
      const auto at = [&](size_t row, int column) {
        return static_cast<std::uint16_t>(row * kColumns + static_cast<size_t>(column));
      };
      p.indices.insert(p.indices.end(), {at(r, c), at(r, c + 1), at(r + 1, c + 1), at(r, c),
                                         at(r + 1, c + 1), at(r + 1, c)});
    }
  return p;
}

std::vector<float> deltasOf(const std::string& morph, const Primitive& p, bool stale) {
  std::vector<float> d;
  for (size_t v = 0; v < p.positions.size() / 3; ++v) {
    const std::array<float, 3> m =
        stale ? std::array<float, 3>{0, 0, 0}
              : morphField(morph, p.positions[3 * v], p.positions[3 * v + 1]);
    d.insert(d.end(), m.begin(), m.end());
  }
  return d;
}

size_t floats(GlbBuilder& b, const std::vector<float>& values, const char* type) {
  return b.accessor({{"bufferView", b.view(bytesOf(values))},
                     {"componentType", 5126},
                     {"count", values.size() / (type[3] == '4' ? 4 : 3)},
                     {"type", type}});
}

// The face mesh "Face" on node 0, skinned over the skeleton (nodes 1 to 15).
void addFace(GlbBuilder& b, const Face& face, const std::vector<std::string>& targets,
             const std::vector<bool>& stale) {
  GltfJson primitives = GltfJson::array();
  for (size_t k = 0; k < 3; ++k) {
    const Primitive p = primitiveOf(face, face.splits[k], face.splits[k + 1]);
    GltfJson attributes = {{"POSITION", b.vec3(p.positions)},
                           {"NORMAL", floats(b, p.normals, "VEC3")},
                           {"WEIGHTS_0", floats(b, p.weights, "VEC4")}};
    attributes["JOINTS_0"] = b.accessor({{"bufferView", b.view(p.joints)},
                                         {"componentType", 5121},
                                         {"count", p.joints.size() / 4},
                                         {"type", "VEC4"}});
    GltfJson morphs = GltfJson::array();
    for (size_t t = 0; t < targets.size(); ++t)
      morphs.push_back({{"POSITION", b.vec3(deltasOf(targets[t], p, stale[t]))}});
    primitives.push_back({{"attributes", attributes},
                          {"indices", b.indices(p.indices)},
                          {"material", k},
                          {"targets", morphs},
                          {"extras", {{"targetNames", targets}}}}); // as some exporters write
  }
  b.json["meshes"].push_back(
      {{"name", "Face"}, {"primitives", primitives}, {"extras", {{"targetNames", targets}}}});
  b.json["nodes"].push_back({{"name", "Face"}, {"mesh", 0}, {"skin", 0}});
}

// The brows "Brows": a strip of 4 x 2 vertices beside the face (x from 2 to 3), unskinned, with
// the target "raise" in the Source; added after the skeleton, so on node 16 and mesh 1.
void addBrows(GlbBuilder& b, bool withTarget) {
  Primitive p;
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 4; ++c)
      p.positions.insert(p.positions.end(), {2.0f + float(c) / 3, 0.85f + 0.1f * float(r), 0.0f});
  for (std::uint16_t c = 0; c < 3; ++c)
    p.indices.insert(p.indices.end(), {c, std::uint16_t(c + 1), std::uint16_t(c + 5), c,
                                       std::uint16_t(c + 5), std::uint16_t(c + 4)});
  GltfJson primitive = {{"attributes", {{"POSITION", b.vec3(p.positions)}}},
                        {"indices", b.indices(p.indices)}};
  GltfJson mesh = {{"name", "Brows"}};
  // Arrays of one element spelt out: braces around one value would be read as the value itself.
  if (withTarget) {
    primitive["targets"] =
        GltfJson::array({GltfJson::object({{"POSITION", b.vec3(deltasOf("raise", p, false))}})});
    mesh["extras"] = GltfJson::object({{"targetNames", GltfJson::array({"raise"})}});
  }
  mesh["primitives"] = GltfJson::array({primitive});
  b.json["meshes"].push_back(mesh);
  b.json["nodes"].push_back({{"name", "Brows"}, {"mesh", 1}});
  b.json["scenes"][0]["nodes"].push_back(b.json["nodes"].size() - 1);
}

void addSkeleton(GlbBuilder& b) {
  std::vector<float> identities;
  for (size_t j = 0; j < kBoneCount; ++j)
    for (int i = 0; i < 16; ++i)
      identities.push_back(i % 5 == 0 ? 1.0f : 0.0f);
  GltfJson joints = GltfJson::array();
  for (size_t j = 0; j < kBoneCount; ++j) {
    b.json["nodes"].push_back({{"name", kBones[j]}});
    joints.push_back(j + 1);
  }
  GltfJson children = joints;
  children.erase(children.begin());
  b.json["nodes"][1]["children"] = children;
  b.json["skins"] = {
      {{"joints", joints},
       {"inverseBindMatrices", b.accessor({{"bufferView", b.view(bytesOf(identities))},
                                           {"componentType", 5126},
                                           {"count", kBoneCount},
                                           {"type", "MAT4"}})}}};
  b.json["scenes"][0]["nodes"] = {0, 1};
  for (const char* colour : {"skin", "lips", "brows"})
    b.json["materials"].push_back({{"name", colour}});
}

// A VRM 0.x preset name, from the VRM 1.0 one.
const char* zeroPreset(const std::string& one) {
  return one == "happy" ? "joy" : one == "blink" ? "blink" : one == "angry" ? "angry" : "unknown";
}

GltfJson vrmExtension(VrmForm form, const std::vector<AvatarExpression>& expressions,
                      const std::vector<std::string>& targets) {
  // "raise" is the brows' one target (node 16, mesh 1); the others the face's.
  const auto index = [&targets](const std::string& morph) {
    return morph == "raise" ? size_t{0}
                            : static_cast<size_t>(std::find(targets.begin(), targets.end(), morph) -
                                                  targets.begin());
  };
  const auto node = [](const std::string& morph) { return morph == "raise" ? 16 : 0; };
  const auto mesh = [](const std::string& morph) { return morph == "raise" ? 1 : 0; };
  if (form == VrmForm::One) {
    GltfJson bones = GltfJson::object(), preset = GltfJson::object(), custom = GltfJson::object();
    for (size_t j = 0; j < kBoneCount; ++j)
      bones[kBones[j]] = {{"node", j + 1}};
    for (const AvatarExpression& e : expressions) {
      GltfJson binds = GltfJson::array();
      for (const auto& [morph, weight] : e.binds)
        binds.push_back({{"node", node(morph)}, {"index", index(morph)}, {"weight", weight}});
      (e.custom ? custom : preset)[e.name] = {{"morphTargetBinds", binds}, {"isBinary", false}};
    }
    return {{"VRMC_vrm",
             {{"specVersion", "1.0"},
              {"meta",
               {{"name", "Avatar"},
                {"authors", {"tovalinder tests"}},
                {"licenseUrl", "https://vrm.dev/licenses/1.0/"}}},
              {"humanoid", {{"humanBones", bones}}},
              {"expressions", {{"preset", preset}, {"custom", custom}}}}}};
  }
  GltfJson bones = GltfJson::array(), groups = GltfJson::array();
  for (size_t j = 0; j < kBoneCount; ++j)
    bones.push_back({{"bone", kBones[j]}, {"node", j + 1}});
  for (const AvatarExpression& e : expressions) {
    GltfJson binds = GltfJson::array();
    for (const auto& [morph, weight] : e.binds)
      binds.push_back({{"mesh", mesh(morph)}, {"index", index(morph)}, {"weight", weight * 100}});
    groups.push_back({{"name", e.name},
                      {"presetName", e.custom ? "unknown" : zeroPreset(e.name)},
                      {"binds", binds},
                      {"materialValues", GltfJson::array()}});
  }
  return {{"VRM",
           {{"specVersion", "0.0"},
            {"meta", {{"title", "Avatar"}}},
            {"humanoid", {{"humanBones", bones}}},
            {"blendShapeMaster", {{"blendShapeGroups", groups}}}}}};
}

GltfJson writeAvatar(const std::string& path, VrmForm form, const Face& face,
                     const std::vector<std::string>& targets, const std::vector<bool>& stale,
                     const std::vector<AvatarExpression>& expressions, Brows brows) {
  GlbBuilder b;
  addFace(b, face, targets, stale);
  addSkeleton(b);
  if (brows != Brows::None)
    addBrows(b, brows == Brows::WithTarget);
  b.json["extensionsUsed"] = {form == VrmForm::One ? "VRMC_vrm" : "VRM"};
  b.json["extensions"] = vrmExtension(form, expressions, targets);
  b.write(path);
  return b.json;
}

} // namespace

std::array<float, 3> morphField(const std::string& morph, float x, float y) {
  if (morph == "smile")
    return {0, 0, 0.08f * bump(x, y, 0.5f, 0.45f, 0.08f)};
  if (morph == "blink")
    return {0, -0.03f * bump(x, y, 0.3f, 0.8f, 0.03f), 0.02f * bump(x, y, 0.3f, 0.8f, 0.03f)};
  if (morph == "angry")
    return {0.02f * bump(x, y, 0.6f, 0.6f, 0.1f), 0.04f * bump(x, y, 0.5f, 0.6f, 0.1f), 0};
  if (morph == "raise")
    return {0, 0.03f * bump(x, y, 2.5f, 0.9f, 0.1f), 0.01f * bump(x, y, 2.5f, 0.9f, 0.1f)};
  return {0, 0, 0.05f * bump(x, y, 0.8f, 0.2f, 0.05f)}; // the edited copy's own
}

const std::vector<AvatarExpression>& avatarExpressions() {
  static const std::vector<AvatarExpression> expressions = {
      {"happy", false, {{"smile", 1.0}}},
      {"blink", false, {{"blink", 1.0}}},
      {"angry", false, {{"angry", 0.75}}},
      {"wink", true, {{"blink", 0.5}, {"smile", 0.25}}}};
  return expressions;
}

const std::vector<AvatarExpression>& avatarExpressionsWithBrows() {
  static const std::vector<AvatarExpression> expressions = [] {
    std::vector<AvatarExpression> all = avatarExpressions();
    all.push_back({"surprised", false, {{"smile", 0.5}, {"raise", 1.0}}});
    return all;
  }();
  return expressions;
}

GltfJson writeSourceAvatar(const std::string& path, VrmForm form, bool brows) {
  return writeAvatar(path, form, sourceFace(), {"smile", "blink", "angry"}, {false, false, false},
                     brows ? avatarExpressionsWithBrows() : avatarExpressions(),
                     brows ? Brows::WithTarget : Brows::None);
}

GltfJson writeEditedAvatar(const std::string& path, VrmForm form, bool brows) {
  const std::vector<AvatarExpression> own = {{"blink", false, {{"blink", 1.0}}},
                                             {"extra", true, {{"extra", 1.0}}}};
  return writeAvatar(path, form, editedFace(), {"blink", "extra"}, {true, false}, own,
                     brows ? Brows::Plain : Brows::None);
}

} // namespace gltf_test
