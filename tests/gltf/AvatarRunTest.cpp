// An avatar with morph targets on several meshes carried in one run: every Source mesh with
// targets onto its namesake in the edited file, one command of the plug-in each, into one output;
// a Source mesh without a namesake is named in the report and left alone.
#include "GltfMesh.h"
#include "GltfTestSupport.h"
#include "GltfValidation.h"
#include "ProgramRun.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace gltf_test;
using runner_test::Result;
using runner_test::ScratchFolder;

namespace {

// A grid of n x n vertices at height `z`, as triangles.
struct Grid {
  std::vector<float> positions;
  std::vector<std::uint16_t> triangles;
};

Grid grid(int n, float z, bool extraTriangle) {
  Grid g;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x)
      g.positions.insert(g.positions.end(), {float(x) / float(n - 1), float(y) / float(n - 1), z});
  for (int y = 0; y + 1 < n; ++y)
    for (int x = 0; x + 1 < n; ++x) {
      const auto v = static_cast<std::uint16_t>(y * n + x);
      const auto w = static_cast<std::uint16_t>(n);
      g.triangles.insert(g.triangles.end(),
                         {v, std::uint16_t(v + 1), std::uint16_t(v + w), std::uint16_t(v + 1),
                          std::uint16_t(v + w + 1), std::uint16_t(v + w)});
    }
  if (extraTriangle) { // as an edit appends: a new vertex beyond the last row
    const auto last = static_cast<std::uint16_t>(g.positions.size() / 3);
    g.positions.insert(g.positions.end(), {0.5f, 1.5f, z});
    g.triangles.insert(g.triangles.end(), {std::uint16_t(last - 2), std::uint16_t(last - 1), last});
  }
  return g;
}

// A delta field per target name, over the grid's vertices.
std::vector<float> deltas(const std::string& target, const Grid& g) {
  std::vector<float> d(g.positions.size());
  const float scale = target == "smile" ? 0.1f : target == "blink" ? -0.05f : 0.02f;
  for (size_t v = 0; v < d.size() / 3; ++v) {
    d[v * 3 + 2] = scale * g.positions[v * 3] * g.positions[v * 3 + 1];
    d[v * 3 + 1] = scale * 0.5f * g.positions[v * 3];
  }
  return d;
}

void addMesh(GlbBuilder& b, const std::string& name, const Grid& g,
             const std::vector<std::string>& targets) {
  const size_t positions = b.vec3(g.positions);
  const size_t indices = b.indices(g.triangles);
  std::vector<GltfJson> list;
  for (const std::string& t : targets)
    list.push_back({{"POSITION", b.vec3(deltas(t, g))}});
  b.mesh(name, {{"POSITION", positions}}, static_cast<long>(indices), list, targets);
}

// The Source avatar: Face (smile, blink), Brows (raise), Hair (sway), Body (none). The edited
// one lost every target; its Brows gained a triangle; it has no Hair.
void writeAvatars(const ScratchFolder& dir) {
  GlbBuilder source, edited;
  addMesh(source, "Face", grid(6, 0, false), {"smile", "blink"});
  addMesh(source, "Brows", grid(4, 1, false), {"raise"});
  addMesh(source, "Hair", grid(3, 2, false), {"sway"});
  addMesh(source, "Body", grid(5, -1, false), {});
  addMesh(edited, "Body", grid(5, -1, false), {});
  addMesh(edited, "Brows", grid(4, 1, true), {});
  addMesh(edited, "Face", grid(6, 0, false), {});
  source.write(dir.file("avatar.glb"));
  edited.write(dir.file("edited.glb"));
}

Result runTool(const std::vector<std::string>& args, const ScratchFolder& dir) {
  return runner_test::runProgram(TOVALINDER_RUNNER_FILE, args, dir);
}

} // namespace

TEST(AvatarRuns, EveryMeshWithMorphsIsCarriedOntoItsNamesakeInOneRun) {
  ScratchFolder dir;
  writeAvatars(dir);
  const Result r = runTool({"avatar.glb", "edited.glb", "-o", "out.glb", "--report", "json"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  expectValid({dir.file("out.glb")});
  const GltfJson report = GltfJson::parse(r.out);
  ASSERT_EQ(report["pairs"].size(), 2u) << report.dump(1);
  EXPECT_EQ(report["pairs"][0]["source"]["name"], "Face");
  EXPECT_EQ(report["pairs"][0]["destination"]["name"], "Face");
  EXPECT_EQ(report["pairs"][1]["source"]["name"], "Brows");
  EXPECT_EQ(report["pairs"][1]["vertices"]["interpolated"], 1);
  ASSERT_EQ(report["files"]["unpaired"].size(), 1u);
  EXPECT_NE(report["files"]["unpaired"][0].get<std::string>().find("\"Hair\" (meshes[2])"),
            std::string::npos);
  EXPECT_EQ(report["files"]["written"].size(), 3u);

  const runner::GltfAsset source = runner::loadGltf(dir.file("avatar.glb"));
  const runner::GltfAsset out = runner::loadGltf(dir.file("out.glb"));
  const std::map<std::string, std::vector<std::string>> carried = {
      {"Face", {"smile", "blink"}}, {"Brows", {"raise"}}, {"Body", {}}};
  for (const auto& [mesh, targets] : carried) {
    const runner::MeshGeometry now = meshNamed(out, mesh), was = meshNamed(source, mesh);
    ASSERT_EQ(now.targets.size(), targets.size()) << mesh;
    for (size_t t = 0; t < targets.size(); ++t) {
      EXPECT_EQ(now.targets[t].name, targets[t]);
      // Every vertex the edit kept takes its Source vertex's delta exactly.
      const std::vector<float>& d = now.targets[t].positions;
      EXPECT_TRUE(
          sameBits(std::vector<float>(d.begin(), d.begin() + was.targets[t].positions.size()),
                   was.targets[t].positions))
          << mesh << " " << targets[t];
    }
  }
  EXPECT_EQ(out.json["meshes"].size(), 3u);

  const Result text = runTool({"avatar.glb", "edited.glb", "-o", "again.glb"}, dir);
  ASSERT_EQ(text.status, 0) << text.err;
  for (const char* line :
       {"Pair 1 of 2:", "Pair 2 of 2:", "\"Hair\" (meshes[2]) has morph targets"})
    EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
  EXPECT_EQ(runner_test::readFile(dir.file("again.glb")),
            runner_test::readFile(dir.file("out.glb")));
}

TEST(AvatarRuns, NamedMeshesStillChooseOnePairAndNoNamesakeIsRefused) {
  ScratchFolder dir;
  writeAvatars(dir);
  const Result one = runTool({"avatar.glb", "edited.glb", "--source", "Brows", "--destination",
                              "Brows", "-o", "out.glb", "--report", "json"},
                             dir);
  ASSERT_EQ(one.status, 0) << one.err;
  const GltfJson report = GltfJson::parse(one.out);
  EXPECT_FALSE(report.contains("pairs"));
  EXPECT_EQ(report["source"]["name"], "Brows");
  EXPECT_EQ(meshNamed(runner::loadGltf(dir.file("out.glb")), "Face").targets.size(), 0u);

  GlbBuilder stranger;
  addMesh(stranger, "Statue", grid(4, 0, false), {});
  stranger.write(dir.file("stranger.glb"));
  const Result none = runTool({"avatar.glb", "stranger.glb", "-o", "none.glb"}, dir);
  EXPECT_EQ(none.status, 3);
  EXPECT_NE(none.err.find("none has a single namesake"), std::string::npos) << none.err;
  EXPECT_FALSE(runner_test::exists(dir.file("none.glb")));
}
