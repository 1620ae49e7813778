// The rules that keep a glTF run from reading what it cannot or writing what is invalid, each
// through the program on a small model made for the case: required extensions it cannot read,
// numbers that are not finite, forms the format forbids (normalized floats, sparse indices out of
// order), target names that stand twice, and a written file that does not read back.
#include "GltfAccessor.h"
#include "GltfAsset.h"
#include "GltfMesh.h"
#include "HostileModels.h"
#include "HostileSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

using namespace hostile;
using gltf_test::GlbBuilder;
using runner::GltfJson;
using runner_test::ScratchFolder;

namespace {

namespace fs = std::filesystem;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

const std::vector<std::string> kRun = {"m/model.glb", "-o", "out.glb"};

void writeModel(const ScratchFolder& dir, const GlbBuilder& model) {
  fs::create_directories(dir.file("m"));
  model.write(dir.file("m/model.glb"));
}

void require(GlbBuilder& model, const std::string& extension, bool required) {
  model.json["extensionsUsed"].push_back(extension);
  if (required)
    model.json["extensionsRequired"].push_back(extension);
}

size_t attribute(const GlbBuilder& model, size_t mesh, const char* name) {
  return model.json["meshes"][mesh]["primitives"][0]["attributes"][name].get<size_t>();
}

// The byte offset in the buffer of the sparse target's indices or values.
size_t sparseBytes(const GlbBuilder& model, const char* part) {
  const GltfJson& sparse = model.json["accessors"][sourceTargetAccessor(model, 1)]["sparse"];
  return model.json["bufferViews"][sparse[part]["bufferView"].get<size_t>()]["byteOffset"]
      .get<size_t>();
}

struct RefusalCase {
  const char* name;
  std::function<void(GlbBuilder&)> spoil;
  std::vector<std::string> messages;
};

std::vector<RefusalCase> refusals() {
  const std::string notFinite = "is not a finite number";
  const std::string positions =
      "accessors[" + std::to_string(attribute(smallModel(), 0, "POSITION")) + "]";
  return {
      {"a required extension for compressed meshes",
       [](GlbBuilder& m) { require(m, "KHR_draco_mesh_compression", true); },
       {"extensionsRequired[0]", "\"KHR_draco_mesh_compression\"", "cannot read",
        "compressed geometry"}},
      {"a required extension for compressed buffers, after one the runner reads",
       [](GlbBuilder& m) {
         require(m, "KHR_texture_transform", true);
         require(m, "EXT_meshopt_compression", true);
       },
       {"extensionsRequired[1]", "\"EXT_meshopt_compression\"", "compressed geometry"}},
      {"an unknown required extension",
       [](GlbBuilder& m) { require(m, "EXT_made_up", true); },
       {"\"EXT_made_up\"", "cannot read"}},
      {"a NaN in a Source position",
       [](GlbBuilder& m) { setFloat(m, attribute(m, 0, "POSITION"), 5, 1, kNaN); },
       {positions + ": element 5 (0.25, NaN, 0, read as meshes[0].primitives[0].attributes."
                    "POSITION)",
        notFinite}},
      {"an infinity in a Destination position",
       [](GlbBuilder& m) { setFloat(m, destinationPositionAccessor(m), 3, 0, kInfinity); },
       {"element 3 (infinity, 0, 0", "meshes[1].primitives[0].attributes.POSITION", notFinite}},
      {"a NaN in a Source target's deltas",
       [](GlbBuilder& m) { setFloat(m, sourceTargetAccessor(m, 0), 7, 2, kNaN); },
       {"element 7", "targets[0].POSITION", notFinite}},
      {"a NaN in a sparse target's substituted values",
       [](GlbBuilder& m) { std::memcpy(&m.bin[sparseBytes(m, "values") + 20], &kNaN, 4); },
       {"element 10 (0, 0.2, NaN", "targets[1].POSITION", notFinite}},
      {"a negative infinity in a Source normal",
       [](GlbBuilder& m) { setFloat(m, attribute(m, 0, "NORMAL"), 2, 2, -kInfinity); },
       {"element 2 (0, 0, -infinity", "attributes.NORMAL", notFinite}},
      {"a NaN among the morph weights an animation holds",
       [](GlbBuilder& m) {
         using gltf_test::bytesOf;
         const size_t times = m.accessor({{"bufferView", m.view(bytesOf(std::vector<float>{0, 1}))},
                                          {"componentType", 5126},
                                          {"count", 2},
                                          {"type", "SCALAR"},
                                          {"min", {0.0}},
                                          {"max", {1.0}}});
         const size_t weights =
             m.accessor({{"bufferView", m.view(bytesOf(std::vector<float>{0, 0, 0, 1, kNaN, 0}))},
                         {"componentType", 5126},
                         {"count", 6},
                         {"type", "SCALAR"}});
         m.json["animations"] = {
             {{"channels", {{{"sampler", 0}, {"target", {{"node", 0}, {"path", "weights"}}}}}},
              {"samplers", {{{"input", times}, {"output", weights}}}}}};
       },
       {"element 4 (NaN, read as animations[0].samplers[0].output)", notFinite}},
      {"a normalized float accessor",
       [](GlbBuilder& m) { m.json["accessors"][attribute(m, 0, "POSITION")]["normalized"] = true; },
       {positions + ".normalized", "true for floats"}},
      {"a normalized 32-bit integer accessor no mesh uses",
       [](GlbBuilder& m) {
         m.accessor({{"bufferView", 0},
                     {"componentType", 5125},
                     {"count", 1},
                     {"type", "SCALAR"},
                     {"normalized", true}});
       },
       {".normalized", "true for 32-bit integers"}},
      {"sparse indices out of order",
       [](GlbBuilder& m) {
         std::swap(m.bin[sparseBytes(m, "indices")], m.bin[sparseBytes(m, "indices") + 1]);
       },
       {"sparse.indices", "index 5 (substitution 1) does not come after 10",
        "strictly increasing"}},
      {"a sparse index given twice",
       [](GlbBuilder& m) { m.bin[sparseBytes(m, "indices") + 1] = 5; },
       {"does not come after 5"}},
  };
}

} // namespace

TEST(ModelRules, WhatNoGltfReaderMayTakeIsRefusedByNameAndNothingIsWritten) {
  for (const RefusalCase& c : refusals()) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    GlbBuilder model = smallModel();
    c.spoil(model);
    writeModel(dir, model);
    const Snapshot before = snapshot(dir);
    const Outcome r = runRunner(dir, kRun);
    EXPECT_EQ(r.status, 3) << r.err;
    for (const std::string& message : c.messages)
      EXPECT_NE(r.err.find(message), std::string::npos) << message << "\n" << r.err;
    EXPECT_EQ(r.err.find("[json.exception"), std::string::npos) << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
  }
}

TEST(ModelRules, ARealFileOfCompressedMeshesIsRefusedByTheExtensionItRequires) {
  const std::string engine = gltf_test::assimpModel("draco/2CylinderEngine.gltf");
  if (!fs::exists(engine))
    GTEST_SKIP() << engine << " is not installed (Debian package assimp-testmodels)";
  ScratchFolder dir;
  const Outcome r = runRunner(dir, {engine, "-o", "out.gltf"});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.err.find(engine + ": extensionsRequired[0]: the file requires the extension "
                                "\"KHR_draco_mesh_compression\", which this runner cannot read"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(dir.file("out.gltf")));
}

TEST(ModelRules, ExtensionsTheRunnerReadsOrThatAreOnlyUsedAreKept) {
  ScratchFolder dir;
  GlbBuilder model = smallModel();
  require(model, "KHR_texture_transform", true);
  require(model, "KHR_materials_unlit", true);
  require(model, "KHR_draco_mesh_compression", false); // used, not required: the data is plain
  writeModel(dir, model);
  const Outcome r = runRunner(dir, kRun);
  ASSERT_EQ(r.status, 0) << r.err;
  const runner::GltfAsset out = runner::loadGltf(dir.file("out.glb"));
  EXPECT_EQ(out.json["extensionsRequired"], model.json["extensionsRequired"]);
  EXPECT_EQ(out.json["extensionsUsed"], model.json["extensionsUsed"]);
}

namespace {

std::vector<runner::MorphTarget> outputTargets(const ScratchFolder& dir) {
  const runner::GltfAsset out = runner::loadGltf(dir.file("out.glb"));
  return runner::readMesh(out, runner::listMeshes(out).at(1)).targets;
}

float largestDelta(const runner::MorphTarget& t, size_t axis) {
  float largest = 0;
  for (size_t i = axis; i < t.positions.size(); i += 3)
    largest = std::max(largest, std::fabs(t.positions[i]));
  return largest;
}

} // namespace

TEST(ModelRules, NoTargetIsLostToARepeatedNameAndTheReportSaysWhereEachWent) {
  // Before: the second Source "smile" replaced the first in the output; now both are there.
  {
    ScratchFolder dir;
    writeModel(dir, smallModel({{"smile", "smile", "blink"}, {}}));
    const Outcome r = runRunner(dir, kRun);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<runner::MorphTarget> targets = outputTargets(dir);
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].name, "smile");
    EXPECT_EQ(targets[1].name, "smile");
    EXPECT_NEAR(largestDelta(targets[0], 2), 0.6f, 1e-5f); // the dense one
    EXPECT_NEAR(largestDelta(targets[1], 1), 0.2f, 1e-5f); // the sparse one
    EXPECT_NE(r.out.find("Warning: the morph target name \"smile\" stands on targets 0 and 1 of "
                         "the Source mesh \"Body\" (meshes[0]) and on no target of the "
                         "Destination mesh \"BodyEdited\" (meshes[1])"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Source target 1 was appended as target 1"), std::string::npos) << r.out;
  }
  // Before: the Destination's second "smile" kept its old deltas; now the k-th Source "smile"
  // replaces the k-th, and what no Source target names stays.
  ScratchFolder dir;
  writeModel(dir, smallModel({{"smile", "blink", "smile"}, {"smile", "smile", "frown"}}));
  std::vector<std::string> args = kRun;
  args.insert(args.end(), {"--source", "Body", "--destination", "BodyEdited", "--report", "json"});
  const Outcome r = runRunner(dir, args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<runner::MorphTarget> targets = outputTargets(dir);
  ASSERT_EQ(targets.size(), 4u);
  const std::vector<std::string> names = {"smile", "smile", "frown", "blink"};
  for (size_t t = 0; t < names.size(); ++t)
    EXPECT_EQ(targets[t].name, names[t]);
  EXPECT_NEAR(largestDelta(targets[0], 2), 0.6f, 1e-5f); // Source target 0
  EXPECT_EQ(largestDelta(targets[1], 2), 0.0f);          // Source target 2, no deltas (was 0.4)
  EXPECT_NEAR(largestDelta(targets[2], 2), 0.5f, 1e-6f); // the Destination's own, kept
  EXPECT_NEAR(largestDelta(targets[3], 1), 0.2f, 1e-5f); // Source target 1, appended
  const GltfJson report = GltfJson::parse(r.out);
  ASSERT_EQ(report["files"]["warnings"].size(), 1u) << r.out;
  const std::string warning = report["files"]["warnings"][0].get<std::string>();
  EXPECT_NE(warning.find("targets 0 and 2 of the Source mesh \"Body\" (meshes[0]) and on targets "
                         "0 and 1 of the Destination mesh \"BodyEdited\" (meshes[1])"),
            std::string::npos)
      << warning;
  EXPECT_NE(warning.find("Source target 0 replaced target 0, Source target 2 replaced target 1"),
            std::string::npos)
      << warning;
}

TEST(ModelRules, AWrittenFileThatDoesNotReadBackFailsTheRunAndNothingIsWritten) {
  // The first byte of the first output changed on its way to the disk.
  for (const bool obj : {false, true}) {
    SCOPED_TRACE(obj ? "OBJ" : "glTF");
    ScratchFolder dir;
    Launch launch;
    if (obj) {
      const std::vector<std::string> set = writeSmallObjSet(dir.file("obj"));
      launch.args = {"--source", set[0],          "--morph", set[1],         "--morph",
                     set[2],     "--destination", set[3],    "--output-dir", dir.file("out")};
    } else {
      writeModel(dir, smallModel());
      launch.args = kRun;
    }
    launch.fault = "write:1:FLIP";
    const Snapshot before = snapshot(dir);
    const Outcome r = runRunner(dir, launch);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("the file written does not read back, so it was not put in place"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
    EXPECT_TRUE(temporaries(dir).empty());
  }
}
