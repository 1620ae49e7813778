// The glTF reader against files built by hand and files nobody here wrote: every accessor form,
// and every malformed file refused with the file and the JSON path, before any read outside it.
#include "GltfAccessor.h"
#include "GltfMesh.h"
#include "GltfTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace gltf_test;
using runner::FileError;

namespace {

// The refusal message, or "" when the file and all its meshes read.
std::string refusal(const runner::GltfAsset* built, const std::string& path = "") {
  try {
    const runner::GltfAsset asset = built ? *built : runner::loadGltf(path);
    for (const runner::MeshSummary& mesh : runner::listMeshes(asset))
      runner::readMesh(asset, mesh);
    return "";
  } catch (const FileError& e) {
    return e.what();
  }
}

std::string refusalOf(const GlbBuilder& b) {
  try {
    const runner::GltfAsset asset = b.asset();
    return refusal(&asset);
  } catch (const FileError& e) {
    return e.what();
  }
}

GlbBuilder triangle() {
  GlbBuilder b;
  const size_t p = b.vec3({0, 0, 0, 1, 0, 0, 0, 1, 0});
  b.mesh("Tri", {{"POSITION", p}}, -1);
  return b;
}

} // namespace

TEST(GltfAccessors, EveryComponentTypeNormalizationStrideAndSparseForm) {
  GlbBuilder b;
  // Positions as normalized shorts, 8 bytes apart (3 shorts and padding).
  const std::vector<std::int16_t> shorts = {32767, 0, -32768, 9, 16384, 1, 0, 9, 0, -1, 32767, 9};
  const size_t positions = b.accessor({{"bufferView", b.view(bytesOf(shorts), 8)},
                                       {"componentType", 5122},
                                       {"normalized", true},
                                       {"count", 3},
                                       {"type", "VEC3"}});
  // UVs as normalized unsigned bytes with a stride of 4, starting one element in.
  const std::vector<std::uint8_t> uvBytes = {9, 9, 9, 9, 255, 0, 7, 7, 51, 102, 7, 7, 0, 255, 7, 7};
  const size_t uvs = b.accessor({{"bufferView", b.view(uvBytes, 4)},
                                 {"byteOffset", 4},
                                 {"componentType", 5121},
                                 {"normalized", true},
                                 {"count", 3},
                                 {"type", "VEC2"}});
  // A target with no data but a sparse substitution of vertex 2 (unsigned byte index).
  const size_t sparse = b.accessor(
      {{"componentType", 5126},
       {"count", 3},
       {"type", "VEC3"},
       {"sparse",
        {{"count", 1},
         {"indices", {{"bufferView", b.view({2})}, {"componentType", 5121}}},
         {"values", {{"bufferView", b.view(bytesOf(std::vector<float>{0.5f, -0.25f, 2.0f}))}}}}}});
  // A target of plain (not normalized) signed bytes, and one of zeros (no buffer view).
  const size_t bytes =
      b.accessor({{"bufferView", b.view({1, 0, 0, 0, 0xFE, 0, 0, 0, 3, 0, 0, 0}, 4)},
                  {"componentType", 5120},
                  {"count", 3},
                  {"type", "VEC3"}});
  const size_t zeros = b.accessor({{"componentType", 5126}, {"count", 3}, {"type", "VEC3"}});
  const size_t index = b.accessor({{"bufferView", b.view({2, 1, 0, 0})},
                                   {"componentType", 5121},
                                   {"count", 3},
                                   {"type", "SCALAR"}});
  b.mesh("M", {{"POSITION", positions}, {"TEXCOORD_0", uvs}}, static_cast<long>(index),
         {{{"POSITION", sparse}}, {{"POSITION", bytes}}, {{"POSITION", zeros}}});

  const runner::GltfAsset asset = b.asset();
  const std::vector<runner::MeshSummary> meshes = runner::listMeshes(asset);
  ASSERT_EQ(meshes.size(), 1u);
  EXPECT_EQ(meshes[0].targetNames, (std::vector<std::string>{"target0", "target1", "target2"}));
  const runner::MeshGeometry g = runner::readMesh(asset, meshes[0]);
  const float third = static_cast<float>(16384 / 32767.0), tiny = static_cast<float>(1 / 32767.0);
  EXPECT_TRUE(sameBits(g.positions, {1, 0, -1, third, tiny, 0, 0, -tiny, 1}));
  EXPECT_TRUE(sameBits(g.uvs, {1, 0, 0.2f, 0.4f, 0, 1}));
  EXPECT_EQ(g.triangles, (std::vector<std::uint32_t>{2, 1, 0}));
  EXPECT_TRUE(sameBits(g.targets[0].positions, {0, 0, 0, 0, 0, 0, 0.5f, -0.25f, 2.0f}));
  EXPECT_TRUE(sameBits(g.targets[1].positions, {1, 0, 0, -2, 0, 0, 3, 0, 0}));
  EXPECT_TRUE(sameBits(g.targets[2].positions, std::vector<float>(9, 0.0f)));
  EXPECT_TRUE(g.targets[0].normals.empty());
}

TEST(GltfAccessors, StripsAndFansBecomeTrianglesPointsAndLinesAreSkipped) {
  GlbBuilder b;
  const size_t p = b.vec3({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0});
  b.mesh("M", {{"POSITION", p}}, -1);
  GltfJson& primitives = b.json["meshes"][0]["primitives"];
  primitives[0]["mode"] = 5;
  primitives.push_back({{"attributes", {{"POSITION", p}}}, {"mode", 6}});
  primitives.push_back({{"attributes", {{"POSITION", p}}}, {"mode", 1}});
  const runner::GltfAsset asset = b.asset();
  const runner::MeshGeometry g = runner::readMesh(asset, runner::listMeshes(asset)[0]);
  // Strip 0 1 2 3: (0 1 2), (2 1 3); fan 0 1 2 3 from the second primitive's vertices 4..7.
  EXPECT_EQ(g.triangles, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3, 5, 6, 4, 6, 7, 4}));
  EXPECT_EQ(g.vertexCount(), 8u);
  EXPECT_EQ(g.skipped, (std::vector<std::string>{"meshes[0].primitives[2] (lines)"}));
}

TEST(GltfAccessors, TargetNamesFromExtrasElseAccessorNamesElseNumbered) {
  GlbBuilder b = triangle();
  const size_t named = b.vec3({0, 0, 0, 0, 0, 0, 0, 0, 1});
  b.json["accessors"][named]["name"] = "fromAccessor";
  const size_t plain = b.vec3({0, 0, 0, 0, 0, 0, 0, 0, 1});
  b.json["meshes"][0]["primitives"][0]["targets"] = {{{"POSITION", named}}, {{"POSITION", plain}}};
  EXPECT_EQ(runner::listMeshes(b.asset())[0].targetNames,
            (std::vector<std::string>{"fromAccessor", "target1"}));
  b.json["meshes"][0]["extras"] = {{"targetNames", {"first", "second"}}};
  EXPECT_EQ(runner::listMeshes(b.asset())[0].targetNames,
            (std::vector<std::string>{"first", "second"}));
}

TEST(GltfFiles, MalformedSampleFilesAreRefusedNamingTheFileAndPlace) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"IndexOutOfRange/IndexOutOfRange.gltf", "meshes[0].primitives[0].indices: index 255"},
      {"IndexOutOfRange/AllIndicesOutOfRange.gltf", "meshes[0].primitives[0].indices: index 65535"},
      {"MissingBin/BoxTextured.gltf", "buffers[0].uri: cannot read"},
      {"IncorrectVertexArrays/Cube.gltf",
       "bufferViews[2]: bytes 504 to 936 run past the 514 bytes"},
      {"wrongTypes/badArray.gltf", "meshes[0].primitives: expected an array of objects"},
      {"wrongTypes/badExtension.gltf", "extensions.KHR_texture_transform: expected an object"},
      {"wrongTypes/badNumber.gltf", "materials[0].normalTexture.scale: expected a number"},
      {"wrongTypes/badObject.gltf", "materials[0].pbrMetallicRoughness: expected an object"},
      {"wrongTypes/badString.gltf", "scenes[0].name: expected a string"},
      {"wrongTypes/badUint.gltf", "baseColorTexture.index: expected a non-negative integer"},
  };
  for (const auto& [file, place] : cases) {
    const std::string path = assimpModel(file);
    const std::string message = refusal(nullptr, path);
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(place), std::string::npos) << message;
  }
  for (const char* good :
       {"BoxTextured-glTF/BoxTextured.gltf", "BoxTextured-glTF-Binary/BoxTextured.glb",
        "BoxTextured-glTF-Embedded/BoxTextured.gltf", "simple_skin/simple_skin.gltf",
        "glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf"})
    EXPECT_EQ(refusal(nullptr, assimpModel(good)), "") << good;
}

TEST(GltfFiles, BinaryContainerFaultsAreNamed) {
  const std::vector<std::uint8_t> good = triangle().glb();
  auto refused = [](std::vector<std::uint8_t> bytes) {
    try {
      runner::loadGltfBytes("x.glb", std::move(bytes));
      return std::string();
    } catch (const FileError& e) {
      return std::string(e.what());
    }
  };
  auto patched = [&](size_t at, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = good;
    std::memcpy(&bytes[at], &value, 4);
    return bytes;
  };
  EXPECT_EQ(refused(good), "");
  std::vector<std::uint8_t> cut(good.begin(), good.end() - 4);
  EXPECT_NE(refused(cut).find("the header gives a length of"), std::string::npos);
  EXPECT_NE(refused(patched(12, 1000000))
                .find("chunk 0 (at byte 12): a length of 1000000 bytes runs past"),
            std::string::npos);
  EXPECT_NE(refused(patched(12, 6)).find("not a multiple of 4"), std::string::npos);
  EXPECT_NE(refused(patched(16, 0x004E4942)).find("the first chunk must hold the JSON"),
            std::string::npos);
  EXPECT_NE(refused(patched(4, 1)).find("version 1"), std::string::npos);
}

TEST(GltfFiles, EveryRangeIsCheckedBeforeAnyRead) {
  const std::vector<std::pair<std::function<void(GlbBuilder&)>, std::string>> faults = {
      {[](GlbBuilder& b) { b.json["accessors"][0]["count"] = 4; },
       "accessors[0]: 4 elements need 48 bytes of bufferViews[0], which holds 36"},
      {[](GlbBuilder& b) { b.json["accessors"][0]["byteOffset"] = 1u << 31; },
       "accessors[0]: byteOffset 2147483648 past the 36 bytes"},
      {[](GlbBuilder& b) { b.json["bufferViews"][0]["byteLength"] = 40; },
       "bufferViews[0]: bytes 0 to 40 run past the 36 bytes of buffers[0]"},
      {[](GlbBuilder& b) { b.json["bufferViews"][0]["byteStride"] = 8; },
       "bufferViews[0].byteStride: 8 is not a stride"},
      {[](GlbBuilder& b) { b.json["accessors"][0]["count"] = std::uint64_t{1} << 40; },
       "accessors[0].count: 1099511627776 elements"},
      {[](GlbBuilder& b) { b.json["accessors"][0]["type"] = "VEC2"; },
       "accessors[0].type: \"VEC2\", but meshes[0].primitives[0].attributes.POSITION needs VEC3"},
      {[](GlbBuilder& b) { b.json["accessors"][0]["componentType"] = 5130; },
       "accessors[0].componentType: 5130 is no component type"},
      {[](GlbBuilder& b) { b.json["meshes"][0]["primitives"][0]["attributes"]["POSITION"] = 7; },
       "meshes[0].primitives[0].attributes.POSITION: index 7 past the 1 accessors"},
      {[](GlbBuilder& b) { b.json["buffers"][0]["byteLength"] = 100; },
       "buffers[0].byteLength: 100 bytes, but the data holds only 36"},
      {[](GlbBuilder& b) { b.json["asset"]["version"] = "1.0"; }, "asset.version: \"1.0\""},
      {[](GlbBuilder& b) { b.json["meshes"][0]["primitives"][0]["mode"] = 9; },
       "meshes[0].primitives[0].mode: 9 is no primitive mode"},
      {[](GlbBuilder& b) {
         b.json["accessors"][0]["sparse"] = {
             {"count", 1},
             {"indices", {{"bufferView", b.view({5, 0, 0, 0})}, {"componentType", 5125}}},
             {"values", {{"bufferView", 0}}}};
       },
       "accessors[0].sparse.indices: index 5 past the 3 elements"},
  };
  for (const auto& [fault, message] : faults) {
    GlbBuilder b = triangle();
    fault(b);
    const std::string why = refusalOf(b);
    EXPECT_EQ(why.rfind("built.glb: ", 0), 0u) << why;
    EXPECT_NE(why.find(message), std::string::npos) << why;
  }
}
