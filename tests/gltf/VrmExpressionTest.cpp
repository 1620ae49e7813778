// Avatars through the runner and back into a real VRM loader (three.js with @pixiv/three-vrm,
// installed by scripts/install-vrm-loader.sh): the Source avatar's expressions, bound to the
// morphs the run carries, must move the edited avatar's face as they move the Source's, in the
// VRM 1.0 and 0.x forms and across them, with the Destination's own expressions left working.
#include "AvatarFiles.h"
#include "GltfMesh.h"
#include "GltfTestSupport.h"
#include "GltfValidation.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

using namespace gltf_test;
using runner_test::readFile;
using runner_test::Result;
using runner_test::runProgram;
using runner_test::ScratchFolder;
using runner_test::shellQuoted;

namespace {

const std::string kModules = TOVALINDER_VRM_LOADER_DIR;

bool loaderInstalled() {
  return std::system("node --version >/dev/null 2>&1") == 0 &&
         std::filesystem::exists(kModules + "/@pixiv/three-vrm/package.json");
}

// What the loader makes of the files (vrm-expressions.mjs).
GltfJson loaded(const ScratchFolder& dir, const std::vector<std::string>& files) {
  std::string command = "node " + shellQuoted(TOVALINDER_VRM_SCRIPT) + " " + shellQuoted(kModules);
  for (const std::string& f : files)
    command += " " + shellQuoted(dir.file(f));
  const std::string out = dir.file("loaded.json");
  EXPECT_EQ(
      std::system((command + " >" + shellQuoted(out) + " 2>" + shellQuoted(out + ".err")).c_str()),
      0)
      << readFile(out + ".err");
  return GltfJson::parse(readFile(out));
}

using Place = std::pair<float, float>; // a vertex's (x, y): every face vertex lies at z = 0

// Each vertex's displacement by the expression at weight 1, by its place; seam copies agree.
std::map<Place, std::array<double, 3>> movesOf(const GltfJson& file, const std::string& name) {
  std::map<Place, std::array<double, 3>> moves;
  for (const GltfJson& p : file["primitives"]) {
    if (!p["moves"].contains(name))
      continue;
    const GltfJson& base = p["base"];
    const GltfJson& move = p["moves"][name];
    for (size_t v = 0; v < base.size() / 3; ++v)
      moves[{base[3 * v].get<float>(), base[3 * v + 1].get<float>()}] = {
          move[3 * v].get<double>(), move[3 * v + 1].get<double>(), move[3 * v + 2].get<double>()};
  }
  return moves;
}

double distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

struct Errors {
  double matched = 0, added = 0, largest = 0; // largest: of the Source's own displacement
};

// The edited face's displacements against the Source's where the vertices are the Source's, and
// against the expression's own field at the added row; in units of the face's size (1).
Errors errorsOf(const GltfJson& source, const GltfJson& out, const AvatarExpression& e) {
  const auto from = movesOf(source, e.name), to = movesOf(out, e.name);
  Errors errors;
  for (const auto& [place, move] : from)
    errors.largest = std::max(errors.largest, distance(move, {0, 0, 0}));
  EXPECT_FALSE(to.empty()) << e.name << " is bound to nothing in the output";
  for (const auto& [place, move] : to) {
    const auto found = from.find(place);
    if (found != from.end()) {
      errors.matched = std::max(errors.matched, distance(move, found->second));
      continue;
    }
    std::array<double, 3> field{0, 0, 0};
    for (const auto& [morph, weight] : e.binds)
      for (int k = 0; k < 3; ++k)
        field[k] += weight * morphField(morph, place.first, place.second)[k];
    errors.added = std::max(errors.added, distance(move, field));
  }
  return errors;
}

const char* formName(VrmForm form) {
  return form == VrmForm::One ? "VRM 1.0" : "VRM 0.x";
}

} // namespace

TEST(VrmExpressions, EveryExpressionMovesTheEditedFaceAsItMovesTheSourceInBothFormsAndAcross) {
  if (!loaderInstalled()) {
    if (std::getenv("CI"))
      FAIL() << "three.js and @pixiv/three-vrm are not installed (scripts/install-vrm-loader.sh)";
    GTEST_SKIP() << "node or the VRM loader is missing";
  }
  for (VrmForm from : {VrmForm::One, VrmForm::Zero})
    for (VrmForm to : {VrmForm::One, VrmForm::Zero}) {
      SCOPED_TRACE(std::string(formName(from)) + " onto " + formName(to));
      ScratchFolder dir;
      writeSourceAvatar(dir.file("source.vrm"), from);
      writeEditedAvatar(dir.file("edited.vrm"), to);
      const Result r =
          runProgram(TOVALINDER_RUNNER_FILE,
                     {"source.vrm", "edited.vrm", "-o", "out.vrm", "--report", "json"}, dir);
      ASSERT_EQ(r.status, 0) << r.err;
      const GltfJson report = GltfJson::parse(r.out);
      // blink was bound already (in place); happy, angry and wink are made.
      std::map<std::string, bool> made;
      for (const GltfJson& e : report["expressions"]["changed"])
        made[e["name"].get<std::string>()] = e["created"].get<bool>();
      EXPECT_EQ(made.size(), 3u) << report["expressions"].dump();
      const GltfJson files = loaded(dir, {"source.vrm", "out.vrm"});
      const GltfJson& source = files[dir.file("source.vrm")];
      const GltfJson& out = files[dir.file("out.vrm")];
      for (const AvatarExpression& e : avatarExpressions()) {
        const Errors errors = errorsOf(source, out, e);
        std::printf("%s onto %s, %s: matched %.2e, added %.2e (largest move %.3f)\n",
                    formName(from), formName(to), e.name.c_str(), errors.matched, errors.added,
                    errors.largest);
        EXPECT_LE(errors.matched, 1e-6) << e.name;
        EXPECT_LE(errors.added, 0.25 * errors.largest) << e.name;
      }
      // The Destination's own expression still moves by its own target.
      EXPECT_FALSE(movesOf(out, "extra").empty());
      expectValid({dir.file("out.vrm")});
    }
}

TEST(VrmExpressions, TargetNamesOfEveryPrimitiveFollowTheMesh) {
  ScratchFolder dir;
  writeSourceAvatar(dir.file("source.vrm"), VrmForm::One);
  writeEditedAvatar(dir.file("edited.vrm"), VrmForm::One);
  ASSERT_EQ(
      runProgram(TOVALINDER_RUNNER_FILE, {"source.vrm", "edited.vrm", "-o", "out.vrm"}, dir).status,
      0);
  const runner::GltfAsset out = runner::loadGltf(dir.file("out.vrm"));
  const GltfJson& mesh = out.json["meshes"][0];
  const GltfJson names = {"blink", "extra", "smile", "angry"};
  EXPECT_EQ(mesh["extras"]["targetNames"], names);
  for (const GltfJson& primitive : mesh["primitives"]) {
    EXPECT_EQ(primitive["extras"]["targetNames"], names);
    EXPECT_EQ(primitive["targets"].size(), 4u);
  }
}

TEST(VrmExpressions, LeftAsTheyAreWhenAskedOrWhenTheDestinationIsNoAvatar) {
  ScratchFolder dir;
  writeSourceAvatar(dir.file("source.vrm"), VrmForm::One);
  const GltfJson edited = writeEditedAvatar(dir.file("edited.vrm"), VrmForm::Zero);
  const Result kept =
      runProgram(TOVALINDER_RUNNER_FILE,
                 {"source.vrm", "edited.vrm", "-o", "kept.vrm", "--no-expressions"}, dir);
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(runner::loadGltf(dir.file("kept.vrm")).json["extensions"], edited["extensions"]);
  // A plain glTF copy of the edited face: nothing can hold the expressions, and the report says so.
  runner::GltfAsset plain = runner::loadGltf(dir.file("edited.vrm"));
  plain.json.erase("extensions");
  plain.json.erase("extensionsUsed");
  const std::vector<std::uint8_t> bytes = runner::encodeGltf(plain, dir.file("plain.glb"));
  runner_test::writeFile(dir.file("plain.glb"), std::string(bytes.begin(), bytes.end()));
  const Result r =
      runProgram(TOVALINDER_RUNNER_FILE, {"source.vrm", "plain.glb", "-o", "out.glb"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("the Destination file has no VRM extension"), std::string::npos) << r.out;
  EXPECT_FALSE(runner::loadGltf(dir.file("out.glb")).json.contains("extensions"));
}

// An avatar with morphs on two meshes, carried in one run: "surprised" binds the face's smile
// and the brows' raise, and after the run it moves both meshes of the edited avatar as it moves
// the Source's.
TEST(VrmExpressions, AnExpressionOverTwoMeshesMovesBothAfterOneRun) {
  if (!loaderInstalled()) {
    if (std::getenv("CI"))
      FAIL() << "three.js and @pixiv/three-vrm are not installed (scripts/install-vrm-loader.sh)";
    GTEST_SKIP() << "node or the VRM loader is missing";
  }
  for (VrmForm form : {VrmForm::One, VrmForm::Zero}) {
    SCOPED_TRACE(formName(form));
    ScratchFolder dir;
    writeSourceAvatar(dir.file("source.vrm"), form, true);
    writeEditedAvatar(dir.file("edited.vrm"), form, true);
    const Result r =
        runProgram(TOVALINDER_RUNNER_FILE,
                   {"source.vrm", "edited.vrm", "-o", "out.vrm", "--report", "json"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const GltfJson report = GltfJson::parse(r.out);
    ASSERT_EQ(report["pairs"].size(), 2u);
    EXPECT_EQ(report["pairs"][1]["source"]["name"], "Brows");
    size_t surprisedBinds = 0;
    for (const GltfJson& e : report["expressions"]["changed"])
      if (e["name"] == "surprised")
        surprisedBinds = e["bindsAdded"].size();
    EXPECT_EQ(surprisedBinds, 2u) << report["expressions"].dump();
    const GltfJson files = loaded(dir, {"source.vrm", "out.vrm"});
    const GltfJson& source = files[dir.file("source.vrm")];
    const GltfJson& out = files[dir.file("out.vrm")];
    for (const AvatarExpression& e : avatarExpressionsWithBrows()) {
      const Errors errors = errorsOf(source, out, e);
      std::printf("%s, two meshes, %s: matched %.2e, added %.2e (largest move %.3f)\n",
                  formName(form), e.name.c_str(), errors.matched, errors.added, errors.largest);
      EXPECT_LE(errors.matched, 1e-6) << e.name;
      EXPECT_LE(errors.added, 0.25 * errors.largest) << e.name;
    }
    // The brows move under "surprised" in the output as in the Source.
    size_t browsVertices = 0;
    double browsLargest = 0;
    for (const auto& [place, move] : movesOf(out, "surprised"))
      if (place.first >= 2.0f) {
        ++browsVertices;
        browsLargest = std::max(browsLargest, distance(move, {0, 0, 0}));
      }
    EXPECT_EQ(browsVertices, 8u);
    EXPECT_GT(browsLargest, 0.02); // raise lifts the brows by up to 0.023
    expectValid({dir.file("out.vrm")});
  }
}
