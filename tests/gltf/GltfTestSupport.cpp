#include "GltfTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace gltf_test {

namespace {

void putWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int b = 0; b < 4; ++b)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
}

} // namespace

GlbBuilder::GlbBuilder() {
  json = {{"asset", {{"version", "2.0"}}},
          {"scene", 0},
          {"scenes", {{{"nodes", GltfJson::array()}}}},
          {"nodes", GltfJson::array()},
          {"meshes", GltfJson::array()},
          {"accessors", GltfJson::array()},
          {"bufferViews", GltfJson::array()},
          {"buffers", {{{"byteLength", 0}}}}};
}

size_t GlbBuilder::view(const std::vector<std::uint8_t>& bytes, size_t stride) {
  bin.resize((bin.size() + 3) / 4 * 4, 0);
  GltfJson v = {{"buffer", 0}, {"byteOffset", bin.size()}, {"byteLength", bytes.size()}};
  if (stride)
    v["byteStride"] = stride;
  bin.insert(bin.end(), bytes.begin(), bytes.end());
  json["buffers"][0]["byteLength"] = bin.size();
  json["bufferViews"].push_back(v);
  return json["bufferViews"].size() - 1;
}

size_t GlbBuilder::accessor(GltfJson accessor) {
  json["accessors"].push_back(std::move(accessor));
  return json["accessors"].size() - 1;
}

size_t GlbBuilder::vec3(const std::vector<float>& values) {
  std::vector<float> lo(3, 1e30f), hi(3, -1e30f);
  for (size_t i = 0; i < values.size(); ++i) {
    lo[i % 3] = std::min(lo[i % 3], values[i]);
    hi[i % 3] = std::max(hi[i % 3], values[i]);
  }
  return accessor({{"bufferView", view(bytesOf(values))},
                   {"componentType", 5126},
                   {"count", values.size() / 3},
                   {"type", "VEC3"},
                   {"min", lo},
                   {"max", hi}});
}

size_t GlbBuilder::indices(const std::vector<std::uint16_t>& values) {
  return accessor({{"bufferView", view(bytesOf(values))},
                   {"componentType", 5123},
                   {"count", values.size()},
                   {"type", "SCALAR"}});
}

size_t GlbBuilder::mesh(const std::string& name, GltfJson attributes, long indices,
                        std::vector<GltfJson> targets,
                        const std::vector<std::string>& targetNames) {
  GltfJson primitive = {{"attributes", std::move(attributes)}};
  if (indices >= 0)
    primitive["indices"] = indices;
  if (!targets.empty())
    primitive["targets"] = targets;
  GltfJson m = {{"name", name}, {"primitives", {primitive}}};
  if (!targetNames.empty())
    m["extras"] = {{"targetNames", targetNames}};
  json["meshes"].push_back(m);
  const size_t index = json["meshes"].size() - 1;
  json["nodes"].push_back({{"name", name}, {"mesh", index}});
  json["scenes"][0]["nodes"].push_back(json["nodes"].size() - 1);
  return index;
}

std::vector<std::uint8_t> GlbBuilder::glb() const {
  std::string text = json.dump();
  text.resize((text.size() + 3) / 4 * 4, ' ');
  std::vector<std::uint8_t> data = bin;
  data.resize((data.size() + 3) / 4 * 4, 0);
  std::vector<std::uint8_t> out;
  putWord(out, 0x46546C67);
  putWord(out, 2);
  putWord(out, static_cast<std::uint32_t>(12 + 8 + text.size() + 8 + data.size()));
  putWord(out, static_cast<std::uint32_t>(text.size()));
  putWord(out, 0x4E4F534A);
  out.insert(out.end(), text.begin(), text.end());
  putWord(out, static_cast<std::uint32_t>(data.size()));
  putWord(out, 0x004E4942);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

void GlbBuilder::write(const std::string& path) const {
  const std::vector<std::uint8_t> bytes = glb();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

runner::GltfAsset GlbBuilder::asset(const std::string& path) const {
  return runner::loadGltfBytes(path, glb());
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 4) == 0);
}

std::string assimpModel(const std::string& relative) {
  return "/usr/share/assimp/models/glTF2/" + relative;
}

runner::MeshGeometry meshNamed(const runner::GltfAsset& asset, const std::string& name) {
  for (const runner::MeshSummary& m : runner::listMeshes(asset))
    if (m.name == name)
      return runner::readMesh(asset, m);
  ADD_FAILURE() << "no mesh " << name;
  return runner::MeshGeometry();
}

} // namespace gltf_test
