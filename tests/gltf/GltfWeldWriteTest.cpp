// The weld from glTF vertices to host vertices, and targets written back into a file: in place or
// appended, weights, names and animations in step, sparse where most deltas are zero, and
// everything else carried through untouched.
#include "GltfAccessor.h"
#include "GltfMesh.h"
#include "GltfTestSupport.h"
#include "HostMesh.h"
#include "TargetWriter.h"
#include "VertexWeld.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace gltf_test;

namespace {

// A mesh of glTF vertices given as position, normal and one target delta each.
runner::MeshGeometry meshOf(const std::vector<std::array<float, 9>>& vertices, bool withTarget) {
  runner::MeshGeometry m;
  runner::MorphTarget t;
  for (const auto& v : vertices) {
    m.positions.insert(m.positions.end(), {v[0], v[1], v[2]});
    m.normals.insert(m.normals.end(), {v[3], v[4], v[5]});
    t.positions.insert(t.positions.end(), {v[6], v[7], v[8]});
  }
  m.uvs.resize(vertices.size() * 2);
  if (withTarget)
    m.targets.push_back(t);
  return m;
}

} // namespace

TEST(VertexWeld, SeamCopiesWeldWhileTouchingSurfacesStayApart) {
  const float c = std::cos(0.5f), s = std::sin(0.5f); // about 29 degrees
  const runner::MeshGeometry m = meshOf(
      {
          {0, 0, 0, 0, 0, 1, 0, 0, 0},     // 0
          {0, 0, 0, 0, 0, 1, 0, 0, 0},     // 1: a UV seam copy of 0
          {0, 0, 0, 0, 0, -1, 0, 0, 0},    // 2: facing the other way (closed lips)
          {0, 0, 0, 0, s, c, 0, 0, 0},     // 3: a soft normal seam: joins 0
          {0, 0, 0, 1, 0, 0, 0, 0, 0},     // 4: a hard edge of 90 degrees
          {0, 0, 0, 0, 0, 1, 0, 0.1f, 0},  // 5: moves differently in the morph
          {-0.0f, 0, 0, 0, 0, 2, 0, 0, 0}, // 6: -0 is 0; normals need not be unit length
          {1, 0, 0, 0, 0, 0, 0, 0, 0},     // 7: no normal
          {1, 0, 0, 0, 0, -1, 0, 0, 0},    // 8: joins 7, which has none
          {0, 0, 0, 0, 0, -1, 0, 0, 0},    // 9: joins 2
      },
      true);
  const runner::VertexWeld weld = runner::weldVertices(m);
  EXPECT_EQ(weld.hostOf, (std::vector<int>{0, 0, 1, 0, 2, 3, 0, 4, 4, 1}));
  EXPECT_EQ(weld.firstOf, (std::vector<std::uint32_t>{0, 2, 4, 5, 7}));
  // Without targets, the copy that moved differently welds too.
  EXPECT_EQ(runner::weldVertices(
                meshOf({{0, 0, 0, 0, 0, 1, 0, 0, 0}, {0, 0, 0, 0, 0, 1, 0, 1, 0}}, false))
                .hostCount(),
            1);
}

namespace {

// A quad (two triangles, four vertices) with targets "a" and "b", mesh and node weights, and a
// morph weight animation of two keys; plus an image, unknown extensions and extras.
GlbBuilder morphedQuad() {
  GlbBuilder b;
  const size_t p = b.vec3({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
  const size_t i = b.indices({0, 1, 2, 0, 2, 3});
  const size_t ta = b.vec3({0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const size_t tb = b.vec3({0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0});
  b.mesh("Quad", {{"POSITION", p}}, static_cast<long>(i), {{{"POSITION", ta}}, {{"POSITION", tb}}},
         {"a", "b"});
  b.json["meshes"][0]["weights"] = {0.25, 0.5};
  b.json["nodes"][0]["weights"] = {0.0, 1.0};
  const size_t times = b.accessor({{"bufferView", b.view(bytesOf(std::vector<float>{0, 1}))},
                                   {"componentType", 5126},
                                   {"count", 2},
                                   {"type", "SCALAR"},
                                   {"min", {0.0}},
                                   {"max", {1.0}}});
  const size_t weights =
      b.accessor({{"bufferView", b.view(bytesOf(std::vector<float>{1, 2, 3, 4}))},
                  {"componentType", 5126},
                  {"count", 4},
                  {"type", "SCALAR"}});
  GltfJson channel = {{"sampler", 0}, {"target", {{"node", 0}, {"path", "weights"}}}};
  GltfJson sampler = {{"input", times}, {"output", weights}};
  GltfJson animation = GltfJson::object();
  animation["channels"] = GltfJson::array({channel});
  animation["samplers"] = GltfJson::array({sampler});
  b.json["animations"] = GltfJson::array({animation});
  GltfJson image = {{"bufferView", b.view({0x89, 'P', 'N', 'G', 1, 2, 3})},
                    {"mimeType", "image/png"}};
  b.json["images"] = GltfJson::array({image});
  b.json["extensionsUsed"] = {"EXT_made_up"};
  b.json["extensions"] = {{"EXT_made_up", {{"keep", {1, 2, 3}}}}};
  b.json["meshes"][0]["extras"]["author"] = "someone";
  return b;
}

runner::NewTarget target(const std::string& name, std::vector<float> deltas) {
  runner::NewTarget t;
  t.name = name;
  t.positions = std::move(deltas);
  return t;
}

} // namespace

TEST(TargetWriter, ReplacesByNameInPlaceAppendsTheRestAndKeepsEverythingInStep) {
  const GlbBuilder b = morphedQuad();
  runner::GltfAsset asset = b.asset();
  const std::vector<runner::MeshSummary> meshes = runner::listMeshes(asset);
  const runner::MeshGeometry mesh = runner::readMesh(asset, meshes[0]);
  const std::vector<float> newB = {0, 0, 0, 0, 0, 0, 0.125f, 0, 0, 0, 0, 0};
  const std::vector<float> c = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
  const runner::TargetWriteTally tally =
      runner::writeTargets(asset, mesh, {target("b", newB), target("c", c)});
  EXPECT_EQ(tally.replaced, 1);
  EXPECT_EQ(tally.appended, 1);

  const runner::GltfAsset back =
      runner::loadGltfBytes("back.glb", runner::encodeGltf(asset, "back.glb"));
  const runner::MeshGeometry read = runner::readMesh(back, runner::listMeshes(back)[0]);
  ASSERT_EQ(read.targets.size(), 3u);
  EXPECT_EQ(read.targets[0].name, "a");
  EXPECT_TRUE(sameBits(read.targets[0].positions, mesh.targets[0].positions));
  EXPECT_EQ(read.targets[1].name, "b");
  EXPECT_TRUE(sameBits(read.targets[1].positions, newB));
  EXPECT_EQ(read.targets[2].name, "c");
  EXPECT_TRUE(sameBits(read.targets[2].positions, c));
  const GltfJson& j = back.json;
  EXPECT_EQ(j["meshes"][0]["weights"], GltfJson({0.25, 0.5, 0.0}));
  EXPECT_EQ(j["nodes"][0]["weights"], GltfJson({0.0, 1.0, 0.0}));
  EXPECT_EQ(j["meshes"][0]["extras"],
            GltfJson({{"targetNames", {"a", "b", "c"}}, {"author", "someone"}}));
  const size_t output = j["animations"][0]["samplers"][0]["output"].get<size_t>();
  EXPECT_TRUE(sameBits(runner::readFloats(back, output, 1, "output"), {1, 2, 0, 3, 4, 0}));
  // Everything the writer does not own is as it was; old accessors, views and bytes stay put.
  for (const char* kept : {"asset", "scene", "scenes", "images", "extensionsUsed", "extensions"})
    EXPECT_EQ(j[kept], b.json[kept]) << kept;
  for (const char* grown : {"accessors", "bufferViews"})
    for (size_t k = 0; k < b.json[grown].size(); ++k)
      EXPECT_EQ(j[grown][k], b.json[grown][k]) << grown << k;
  EXPECT_TRUE(std::equal(b.bin.begin(), b.bin.end(), back.buffers[0].begin()));
}

TEST(TargetWriter, SparseWhenMostDeltasAreZeroWithBoundsOfEveryValue) {
  GlbBuilder b;
  std::vector<float> positions;
  std::vector<std::uint16_t> indices;
  for (std::uint16_t v = 0; v < 300; ++v) {
    positions.insert(positions.end(), {static_cast<float>(v), 0, v % 2 ? 1.0f : 0.0f});
    if (v >= 2)
      indices.insert(indices.end(),
                     {static_cast<std::uint16_t>(v - 2), static_cast<std::uint16_t>(v - 1), v});
  }
  b.mesh("Strip", {{"POSITION", b.vec3(positions)}}, static_cast<long>(b.indices(indices)));
  runner::GltfAsset asset = b.asset();
  const runner::MeshGeometry mesh = runner::readMesh(asset, runner::listMeshes(asset)[0]);
  std::vector<float> few(900, 0.0f), most(900, 0.5f), none(900, 0.0f);
  few[3 * 7 + 1] = -2.5f;
  few[3 * 299 + 2] = 4.0f;
  most[0] = 0.0f;
  runner::writeTargets(asset, mesh,
                       {target("few", few), target("most", most), target("none", none)});
  const GltfJson& accessors = asset.json["accessors"];
  const GltfJson& sparse = accessors[accessors.size() - 3];
  EXPECT_FALSE(sparse.contains("bufferView"));
  EXPECT_EQ(sparse["sparse"]["count"], 2);
  EXPECT_EQ(sparse["sparse"]["indices"]["componentType"], 5123);
  EXPECT_EQ(sparse["min"], GltfJson({0.0, -2.5, 0.0}));
  EXPECT_EQ(sparse["max"], GltfJson({0.0, 0.0, 4.0}));
  EXPECT_TRUE(accessors[accessors.size() - 2].contains("bufferView"));
  EXPECT_FALSE(accessors[accessors.size() - 2].contains("sparse"));
  EXPECT_FALSE(accessors.back().contains("bufferView"));
  EXPECT_FALSE(accessors.back().contains("sparse"));
  const runner::GltfAsset back = runner::loadGltfBytes("b.glb", runner::encodeGltf(asset, "b.glb"));
  const runner::MeshGeometry read = runner::readMesh(back, runner::listMeshes(back)[0]);
  EXPECT_TRUE(sameBits(read.targets[0].positions, few));
  EXPECT_TRUE(sameBits(read.targets[1].positions, most));
  EXPECT_TRUE(sameBits(read.targets[2].positions, none));
}

TEST(GltfFiles, TextFilesKeepTheirBuffersAndGetNewDataEmbedded) {
  const std::string path =
      assimpModel("glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf");
  runner::GltfAsset asset = runner::loadGltf(path);
  const GltfJson before = asset.json;
  const runner::MeshGeometry mesh = runner::readMesh(asset, runner::listMeshes(asset)[0]);
  runner::writeTargets(asset, mesh, {target("thin", mesh.targets[0].positions)});
  const std::vector<std::uint8_t> text = runner::encodeGltf(asset, path);
  const GltfJson written = GltfJson::parse(text.begin(), text.end());
  EXPECT_EQ(written["buffers"][0], before["buffers"][0]); // same folder: the uri is unchanged
  EXPECT_EQ(written["buffers"][1]["uri"].get<std::string>().rfind(
                "data:application/octet-stream;base64,", 0),
            0u);
  EXPECT_EQ(written["animations"], before["animations"]); // replaced in place: same target count
  const runner::GltfAsset back = runner::loadGltfBytes(path, text);
  EXPECT_TRUE(sameBits(runner::readMesh(back, runner::listMeshes(back)[0]).targets[0].positions,
                       mesh.targets[0].positions));
  // Written elsewhere, the file names stay: the run puts copies of the files beside it.
  const std::vector<std::uint8_t> moved = runner::encodeGltf(asset, "/tmp/elsewhere/out.gltf");
  const GltfJson there = GltfJson::parse(moved.begin(), moved.end());
  EXPECT_EQ(there["buffers"][0]["uri"], "AnimatedMorphCube.bin");
}

TEST(HostMesh, ExportedQuadsComeBackAsQuadsAndUntouchedFacesKeepTheirIds) {
  // A strip of two quads, the first split as exporters split it, the second along the other
  // diagonal (a re-triangulated quad), which stays two triangles.
  runner::MeshGeometry m = meshOf({{0, 0, 0, 0, 0, 1, 0, 0, 0},
                                   {1, 0, 0, 0, 0, 1, 0, 0, 0},
                                   {1, 1, 0, 0, 0, 1, 0, 0, 0},
                                   {0, 1, 0, 0, 0, 1, 0, 0, 0},
                                   {2, 0, 0, 0, 0, 1, 0, 0, 0},
                                   {2, 1, 0, 0, 0, 1, 0, 0, 0}},
                                  false);
  m.triangles = {0, 1, 2, 0, 2, 3, 1, 4, 5, 5, 2, 1};
  m.triangleMaterials = {0, 0, 1, 1};
  const runner::VertexWeld weld = runner::weldVertices(m);
  sim::Object source;
  runner::fillObject(source, runner::polygonsOf(m, weld));
  ASSERT_EQ(source.faceCount(), 3);
  EXPECT_EQ(source.facePointList(0), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(source.facePointList(1), (std::vector<int>{1, 4, 5}));
  EXPECT_EQ(source.materials, (std::vector<int>{0, 1, 1}));

  // The edited copy: the first quad as it was, the second re-split the other way round.
  m.triangles = {0, 1, 2, 0, 2, 3, 1, 4, 2, 4, 5, 2};
  sim::Object destination;
  destination.nextFaceUniqueId = source.nextFaceUniqueId;
  runner::fillObject(destination, runner::polygonsOf(m, weld));
  runner::shareFaceIds(source, destination);
  EXPECT_EQ(destination.faceIds[0], source.faceIds[0]);
  EXPECT_GE(destination.faceIds[1], source.nextFaceUniqueId);
  EXPECT_GE(destination.faceIds[2], source.nextFaceUniqueId);
  EXPECT_NE(destination.faceIds[1], destination.faceIds[2]);
}
