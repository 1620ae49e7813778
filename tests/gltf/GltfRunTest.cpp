// Whole runs of the runner program on glTF and VRM files, as a modeler starts them: a file onto
// its own mesh reproduces every delta bit for bit; the generated character onto its edited copy
// carries its morphs the way a modeler expects (matched vertices exactly, seam copies alike,
// closed lips apart, a new UV island interpolated); a VRM-like file keeps its expressions;
// faults exit with their codes and write nothing. Every written file passes the glTF validator.
#include "GltfMesh.h"
#include "GltfTestSupport.h"
#include "GltfValidation.h"
#include "ProgramRun.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

using namespace gltf_test;
using runner_test::ScratchFolder;

namespace {

using runner_test::Result;
using runner_test::runProgram;

Result runTool(const std::vector<std::string>& args, const ScratchFolder& dir) {
  return runProgram(TOVALINDER_RUNNER_FILE, args, dir);
}

std::array<float, 3> at(const std::vector<float>& values, size_t v) {
  return {values[v * 3], values[v * 3 + 1], values[v * 3 + 2]};
}

} // namespace

TEST(GltfRuns, AFileOntoItsOwnMeshReproducesEveryDeltaAndKeepsTheRest) {
  ScratchFolder dir;
  const std::string input =
      assimpModel("glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf");
  const Result r =
      runTool({input, "--destination", "Cube", "-o", "out.gltf", "--report", "json"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const GltfJson report = GltfJson::parse(r.out);
  EXPECT_EQ(report["files"]["format"], "glTF");
  EXPECT_EQ(report["files"]["read"][1], GltfJson({{"role", "Destination"}, {"file", input}}));
  EXPECT_EQ(report["files"]["written"], GltfJson({{{"morph", "thin"}, {"file", "out.gltf"}},
                                                  {{"morph", "angle"}, {"file", "out.gltf"}}}));
  EXPECT_NE(report["files"]["notes"][0].get<std::string>().find("2 morph targets: thin, angle"),
            std::string::npos);
  EXPECT_EQ(report["dialog"]["listed"],
            GltfJson({"elem:thin-AnimatedMorphCube", "elem:angle-AnimatedMorphCube"}));
  EXPECT_EQ(report["dialog"]["options"]["use-unique-ids"], false);

  const runner::GltfAsset before = runner::loadGltf(input);
  const runner::GltfAsset after = runner::loadGltf(dir.file("out.gltf"));
  const runner::MeshGeometry old = meshNamed(before, "AnimatedMorphCube");
  const runner::MeshGeometry now = meshNamed(after, "AnimatedMorphCube");
  ASSERT_EQ(now.targets.size(), 2u);
  for (size_t t = 0; t < 2; ++t) {
    EXPECT_EQ(now.targets[t].name, old.targets[t].name);
    EXPECT_TRUE(sameBits(now.targets[t].positions, old.targets[t].positions)) << t;
  }
  for (auto it = before.json.begin(); it != before.json.end(); ++it) {
    const std::string key = it.key();
    if (key != "meshes" && key != "accessors" && key != "bufferViews" && key != "buffers") {
      EXPECT_EQ(after.json[key], it.value()) << key;
    }
  }
  for (const char* grown : {"accessors", "bufferViews"})
    for (size_t k = 0; k < before.json[grown].size(); ++k)
      EXPECT_EQ(after.json[grown][k], before.json[grown][k]);
  EXPECT_EQ(after.buffers[0], before.buffers[0]);
  // Written into another folder, the output has a copy of the file it refers to beside it.
  EXPECT_EQ(after.json["buffers"][0]["uri"], "AnimatedMorphCube.bin");
  EXPECT_EQ(runner_test::readFile(dir.file("AnimatedMorphCube.bin")),
            runner_test::readFile(input.substr(0, input.size() - 4) + "bin"));
  expectValid({dir.file("out.gltf")});
}

TEST(GltfRuns, ImagesAndTheBinaryChunkSurviveByteForByte) {
  ScratchFolder dir;
  // BoxTextured has no morphs: it is the Destination of the generated character's Source.
  ASSERT_EQ(runProgram(TOVALINDER_SAMPLE_TOOL_FILE,
                       {"--vertices", "300", "--morphs", "2", "src.glb"}, dir)
                .status,
            0);
  const std::string box = assimpModel("BoxTextured-glTF-Binary/BoxTextured.glb");
  const Result r = runTool({"src.glb", box, "-o", "box.glb"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const runner::GltfAsset before = runner::loadGltf(box),
                          after = runner::loadGltf(dir.file("box.glb"));
  EXPECT_TRUE(
      std::equal(before.buffers[0].begin(), before.buffers[0].end(), after.buffers[0].begin()));
  EXPECT_EQ(after.json["images"], before.json["images"]);
  EXPECT_EQ(after.json["materials"], before.json["materials"]);
  EXPECT_EQ(meshNamed(after, "Mesh").targets.size(), 2u);
  expectValid({dir.file("box.glb")});
}

TEST(GltfRuns, TheCharacterOntoItsEditedCopyCarriesItsMorphsAsAModelerExpects) {
  ScratchFolder dir;
  ASSERT_EQ(runProgram(TOVALINDER_SAMPLE_TOOL_FILE, {"character.glb", "edited.glb"}, dir).status,
            0);
  const Result r =
      runTool({"character.glb", "edited.glb", "-o", "out.glb", "--report", "json"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const GltfJson report = GltfJson::parse(r.out);
  EXPECT_GT(report["vertices"]["interpolated"].get<int>(), 0);
  EXPECT_EQ(report["hostMessages"], GltfJson({"Attributes of some faces were not copied."}));
  expectValid({dir.file("character.glb"), dir.file("edited.glb"), dir.file("out.glb")});

  const runner::MeshGeometry source =
      meshNamed(runner::loadGltf(dir.file("character.glb")), "Body");
  const runner::MeshGeometry edited = meshNamed(runner::loadGltf(dir.file("edited.glb")), "Body");
  const runner::MeshGeometry out = meshNamed(runner::loadGltf(dir.file("out.glb")), "Body");
  ASSERT_EQ(out.targets.size(), 5u);
  EXPECT_TRUE(sameBits(out.positions, edited.positions));
  // Source deltas by position: one entry per distinct delta found there.
  std::map<std::array<float, 3>, std::vector<size_t>> sourceAt;
  for (size_t v = 0; v < source.vertexCount(); ++v)
    sourceAt[at(source.positions, v)].push_back(v);
  size_t exact = 0, fresh = 0, freshMoved = 0, lipPairs = 0;
  std::map<std::pair<std::array<float, 3>, std::array<float, 3>>, size_t> seamCopy;
  for (size_t v = 0; v < out.vertexCount(); ++v) {
    const auto p = at(out.positions, v);
    const auto found = sourceAt.find(p);
    if (found == sourceAt.end()) { // a vertex the edit added or moved
      ++fresh;
      freshMoved += std::fabs(at(out.targets[3].positions, v)[0]) +
                        std::fabs(at(out.targets[3].positions, v)[2]) >
                    0;
      continue;
    }
    // A matched vertex carries the deltas of the Source vertex at its place and facing.
    const size_t s =
        *std::min_element(found->second.begin(), found->second.end(), [&](size_t a, size_t b) {
          auto dot = [&](size_t w) {
            return source.normals[w * 3] * out.normals[v * 3] +
                   source.normals[w * 3 + 1] * out.normals[v * 3 + 1] +
                   source.normals[w * 3 + 2] * out.normals[v * 3 + 2];
          };
          return dot(a) > dot(b);
        });
    bool all = true;
    for (size_t t = 0; t < 5; ++t)
      all = all && at(out.targets[t].positions, v) == at(source.targets[t].positions, s);
    exact += all;
    // Seam copies (same place, same normal) share one delta.
    const auto key = std::make_pair(p, at(out.normals, v));
    const auto first = seamCopy.emplace(key, v).first->second;
    for (size_t t = 0; t < 5; ++t)
      EXPECT_EQ(at(out.targets[t].positions, v), at(out.targets[t].positions, first));
    // Closed lips: on the line where they meet, each lip keeps its own smile.
    if (p[1] == 1.47f && std::fabs(p[2] - 0.215f) < 1e-6f) {
      ++lipPairs;
      const float lift = at(out.targets[0].positions, v)[1]; // upper lip up, lower lip down
      EXPECT_GT(out.normals[v * 3 + 1] < 0 ? lift : -lift, 0.0039f);
    }
  }
  EXPECT_EQ(exact, out.vertexCount() - fresh);
  EXPECT_GE(lipPairs, 18u); // both lips' copies along the line where they meet
  // The new loop and the moved nose; the loop's front half lies in the belly morph.
  EXPECT_GT(fresh, 32u);
  EXPECT_GE(freshMoved, 16u);
}

TEST(GltfRuns, AVrmKeepsItsExpressionsAndSkinAndEachBindingNamesItsTarget) {
  ScratchFolder dir;
  GlbBuilder b;
  const std::vector<float> quad = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const size_t indices = b.indices({0, 1, 2, 0, 2, 3});
  const size_t base = b.vec3(quad);
  auto moving = [&](size_t vertex, float dz) {
    std::vector<float> d(12, 0.0f);
    d[vertex * 3 + 2] = dz;
    return b.vec3(d);
  };
  b.mesh("Face", {{"POSITION", base}}, static_cast<long>(indices),
         {{{"POSITION", moving(0, 0.5f)}},
          {{"POSITION", moving(2, 0.25f)}},
          {{"POSITION", moving(3, 1)}}},
         {"blink", "smile", "angry"});
  // The edited face: a vertex appended in the middle of the top edge; two targets of its own,
  // smile first, which expressions address by index.
  const std::vector<float> editedQuad = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5f, 1, 0};
  const size_t editedIndices = b.indices({0, 1, 2, 0, 4, 3, 0, 2, 4});
  b.mesh("FaceEdited", {{"POSITION", b.vec3(editedQuad)}}, static_cast<long>(editedIndices),
         {{{"POSITION", b.vec3(std::vector<float>(15, 0.0f))}},
          {{"POSITION", b.vec3(std::vector<float>(15, 0.0f))}}},
         {"smile", "blink"});
  b.json["nodes"].push_back({{"name", "Root"}, {"children", {0, 1}}});
  std::vector<float> identity(16, 0.0f);
  for (int i = 0; i < 4; ++i)
    identity[static_cast<size_t>(i * 5)] = 1.0f;
  const size_t matrices = b.accessor({{"bufferView", b.view(bytesOf(identity))},
                                      {"componentType", 5126},
                                      {"count", 1},
                                      {"type", "MAT4"}});
  GltfJson skin = GltfJson::object();
  skin["joints"] = GltfJson::array({2});
  skin["inverseBindMatrices"] = matrices;
  b.json["skins"] = GltfJson::array({skin});
  b.json["nodes"][1]["skin"] = 0;
  b.json["scenes"][0]["nodes"] = {2};
  const std::vector<std::uint8_t> joints(20, 0);
  std::vector<float> weights(20, 0.0f);
  for (size_t v = 0; v < 5; ++v)
    weights[v * 4] = 1.0f;
  GltfJson& skinned = b.json["meshes"][1]["primitives"][0]["attributes"];
  skinned["JOINTS_0"] = b.accessor(
      {{"bufferView", b.view(joints)}, {"componentType", 5121}, {"count", 5}, {"type", "VEC4"}});
  skinned["WEIGHTS_0"] = b.accessor({{"bufferView", b.view(bytesOf(weights))},
                                     {"componentType", 5126},
                                     {"count", 5},
                                     {"type", "VEC4"}});
  b.json["extensionsUsed"] = {"VRMC_vrm"};
  const GltfJson vrm = {
      {"specVersion", "1.0"},
      {"meta",
       {{"name", "Test"}, {"authors", {"nobody"}}, {"licenseUrl", "https://example.org/l"}}},
      {"expressions",
       {{"preset",
         {{"happy", {{"morphTargetBinds", {{{"node", 1}, {"index", 0}, {"weight", 1.0}}}}}},
          {"blink", {{"morphTargetBinds", {{{"node", 1}, {"index", 1}, {"weight", 1.0}}}}}}}}}}};
  b.json["extensions"] = {{"VRMC_vrm", vrm}};
  b.write(dir.file("avatar.vrm"));

  const Result r = runTool(
      {"avatar.vrm", "--source", "Face", "--destination", "FaceEdited", "-o", "out.vrm"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const runner::GltfAsset out = runner::loadGltf(dir.file("out.vrm"));
  EXPECT_EQ(out.json["extensions"]["VRMC_vrm"], vrm);
  EXPECT_EQ(out.json["skins"], b.json["skins"]);
  EXPECT_EQ(out.json["nodes"], b.json["nodes"]);
  const runner::MeshGeometry face = meshNamed(out, "FaceEdited");
  ASSERT_EQ(face.summary.targetNames, (std::vector<std::string>{"smile", "blink", "angry"}));
  // Each binding still names the same target, now carrying the Source's morph.
  EXPECT_EQ(at(face.targets[0].positions, 2)[2], 0.25f);
  EXPECT_EQ(at(face.targets[1].positions, 0)[2], 0.5f);
  EXPECT_EQ(at(face.targets[2].positions, 3)[2], 1.0f);
  // The added vertex between 2 and 3 takes its edge neighbours' smile offsets (0: 0, 2: 0.25,
  // 3: 0) weighted by inverse squared distance.
  const float near = 1 / 0.25f, far = 1 / 1.25f;
  EXPECT_NEAR(at(face.targets[0].positions, 4)[2], near * 0.25f / (far + near + near), 1e-6);
  expectValid({dir.file("out.vrm")});
}

TEST(GltfRuns, FaultsExitWithTheirCodesAndWriteNothing) {
  const std::string cube =
      assimpModel("glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf");
  const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
      {{cube, "--destination", "Cube", "--use-unique-ids", "-o", "o.gltf"},
       2,
       "--use-unique-ids: glTF files carry no vertex unique IDs"},
      {{cube, "--destination", "Cube", "-o", "o.glb"}, 2, "must be a .gltf file"},
      {{cube, "-o", "o.gltf"}, 3, "the Destination must be named with --destination"},
      {{cube, "--source", "Nose", "-o", "o.gltf"}, 3, "no node or mesh is named \"Nose\" (Source)"},
      {{assimpModel("IndexOutOfRange/IndexOutOfRange.gltf"), "-o", "o.gltf"},
       3,
       "IndexOutOfRange.gltf: meshes[0].primitives[0].indices: index 255"},
      {{assimpModel("MissingBin/BoxTextured.gltf"), "-o", "o.gltf"},
       3,
       "buffers[0].uri: cannot read"},
      {{cube, cube, cube}, 2, "at most two glTF files"},
  };
  for (const auto& [args, code, message] : cases) {
    ScratchFolder dir;
    const Result r = runTool(args, dir);
    EXPECT_EQ(r.status, code) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(dir.listing(), "");
  }
  ScratchFolder dir;
  ASSERT_EQ(runProgram(TOVALINDER_SAMPLE_TOOL_FILE, {"c.glb", "e.glb"}, dir).status, 0);
  const Result same = runTool({"c.glb", "e.glb", "-o", "e.glb"}, dir);
  EXPECT_EQ(same.status, 2);
  EXPECT_NE(same.err.find("is the input"), std::string::npos);
}

TEST(GltfRuns, NamesLongerThanTheHostKeepsAreCutInTheHostOnly) {
  ScratchFolder dir;
  std::string longName, longTarget = "mouth-open-";
  for (int i = 0; i < 100; ++i)
    longName += "\xE9\xA1\x94"; // 顔, three bytes: 300 bytes in all
  for (int i = 0; i < 90; ++i)
    longTarget += "\xE5\x8F\xA3"; // 口
  GlbBuilder b;
  const size_t indices = b.indices({0, 1, 2});
  const std::vector<float> triangle = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  b.mesh(longName, {{"POSITION", b.vec3(triangle)}}, static_cast<long>(indices),
         {{{"POSITION", b.vec3({0, 0, 1, 0, 0, 0, 0, 0, 0})}},
          {{"POSITION", b.vec3({0, 0, 0, 0, 0, 2, 0, 0, 0})}}},
         {longTarget, longTarget + "2"});
  b.mesh(longName + "2", {{"POSITION", b.vec3(triangle)}}, static_cast<long>(indices));
  b.write(dir.file("long.glb"));
  const Result r = runTool({"long.glb", "--destination", longName + "2", "-o", "out.glb"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const runner::MeshGeometry out = meshNamed(runner::loadGltf(dir.file("out.glb")), longName + "2");
  ASSERT_EQ(out.summary.targetNames, (std::vector<std::string>{longTarget, longTarget + "2"}));
  EXPECT_EQ(at(out.targets[0].positions, 0)[2], 1.0f);
  EXPECT_EQ(at(out.targets[1].positions, 1)[2], 2.0f);
  expectValid({dir.file("out.glb")});
}

// A re-export that moved the edited mesh's node (or a parent of it) pairs nothing: the report
// says why, in one line, and says nothing when the two are placed alike.
TEST(GltfRuns, ADestinationPlacedOtherwiseThanItsSourceIsNamed) {
  const auto write = [](const std::string& path, bool withTarget, const GltfJson& place,
                        bool underParent) {
    GlbBuilder b;
    const size_t positions = b.vec3({0, 0, 0, 1, 0, 0, 0, 1, 0});
    std::vector<GltfJson> targets;
    if (withTarget)
      targets.push_back({{"POSITION", b.vec3({0, 0, 0.5f, 0, 0, 0, 0, 0, 0})}});
    b.mesh("Body", {{"POSITION", positions}}, -1, targets,
           withTarget ? std::vector<std::string>{"up"} : std::vector<std::string>{});
    GltfJson& node = b.json["nodes"][0];
    if (underParent) {
      b.json["nodes"].push_back({{"name", "Armature"}, {"children", GltfJson::array({0})}});
      b.json["scenes"][0]["nodes"] = GltfJson::array({1});
    }
    GltfJson& placed = underParent ? b.json["nodes"][1] : node;
    for (auto it = place.begin(); it != place.end(); ++it)
      placed[it.key()] = it.value();
    b.write(path);
  };
  const std::string note = "Destination node \"Body\" (nodes[0]) is placed otherwise";
  const std::vector<std::tuple<GltfJson, bool, bool>> cases = {
      {GltfJson::object(), false, false},
      {{{"translation", {0, 0, 0}}, {"scale", {1, 1, 1}}}, false, false},
      {{{"translation", {0, 0, 2}}}, false, true},
      {{{"rotation", {0, 0.7071068, 0, 0.7071068}}}, false, true},
      {{{"matrix", {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}}}, false, true},
      {{{"translation", {1, 0, 0}}}, true, true},
  };
  for (const auto& [place, underParent, noted] : cases) {
    ScratchFolder dir;
    write(dir.file("src.glb"), true, GltfJson::object(), false);
    write(dir.file("dst.glb"), false, place, underParent);
    const Result r = runTool({"src.glb", "dst.glb", "-o", "out.glb", "--report", "json"}, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const GltfJson report = GltfJson::parse(r.out);
    std::string notes;
    for (const GltfJson& line : report["files"]["notes"])
      notes += line.get<std::string>() + "\n";
    EXPECT_EQ(notes.find(note) != std::string::npos, noted) << place.dump() << "\n" << notes;
  }
}
