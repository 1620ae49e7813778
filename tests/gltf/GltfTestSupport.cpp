#include "GltfTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace gltf_test {

namespace {

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

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

Result runProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder) {
  std::string command = "cd " + shellQuoted(folder) + " && " + shellQuoted(program);
  for (const std::string& arg : args)
    command += " " + shellQuoted(arg);
  const std::string out = folder + "/.out", err = folder + "/.err";
  command += " >" + shellQuoted(out) + " 2>" + shellQuoted(err);
  const int raw = std::system(command.c_str());
  Result result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = slurp(out);
  result.err = slurp(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

Validation validate(const std::vector<std::string>& files) {
  Validation v;
  const std::string module = TOVALINDER_GLTF_VALIDATOR_DIR;
  if (std::system("node --version >/dev/null 2>&1") != 0 ||
      !std::filesystem::exists(module + "/index.js"))
    return v;
  std::string command =
      "node " + shellQuoted(TOVALINDER_GLTF_VALIDATE_SCRIPT) + " " + shellQuoted(module);
  for (const std::string& f : files)
    command += " " + shellQuoted(f);
  const std::string report = std::filesystem::temp_directory_path().string() +
                             "/tovalinder-validator-" + std::to_string(std::rand()) + ".txt";
  const int raw = std::system((command + " >" + shellQuoted(report) + " 2>&1").c_str());
  v.ran = true;
  v.clean = WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
  v.report = slurp(report);
  std::filesystem::remove(report);
  return v;
}

std::string assimpModel(const std::string& relative) {
  return "/usr/share/assimp/models/glTF2/" + relative;
}

} // namespace gltf_test
