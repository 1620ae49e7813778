#include "HostileModels.h"

#include "FileError.h"
#include "FormatRegistry.h"
#include "RunError.h"
#include "RunnerTestSupport.h"

#include <filesystem>

namespace hostile {

namespace {

using gltf_test::bytesOf;
using gltf_test::GlbBuilder;
using runner::GltfJson;

const int kSide = 4; // vertices along each side of the grid

std::vector<float> gridPositions(bool edited) {
  std::vector<float> positions;
  for (int j = 0; j < kSide; ++j)
    for (int i = 0; i < kSide; ++i)
      positions.insert(positions.end(), {0.25f * i, 0.25f * j, 0.0f});
  if (edited)
    positions[5 * 3 + 2] = 0.05f;
  return positions;
}

std::vector<std::uint16_t> gridTriangles() {
  std::vector<std::uint16_t> corners;
  for (int j = 0; j + 1 < kSide; ++j)
    for (int i = 0; i + 1 < kSide; ++i) {
      const auto v = static_cast<std::uint16_t>(j * kSide + i);
      const auto up = static_cast<std::uint16_t>(v + kSide);
      corners.insert(corners.end(), {v, static_cast<std::uint16_t>(v + 1), up});
      corners.insert(corners.end(),
                     {static_cast<std::uint16_t>(v + 1), static_cast<std::uint16_t>(up + 1), up});
    }
  return corners;
}

GltfJson gridAttributes(GlbBuilder& model, bool edited) {
  const size_t n = kSide * kSide;
  std::vector<float> normals, uvs;
  for (size_t v = 0; v < n; ++v) {
    normals.insert(normals.end(), {0.0f, 0.0f, 1.0f});
    uvs.insert(uvs.end(), {float(v % kSide) / (kSide - 1), float(v / kSide) / (kSide - 1)});
  }
  const size_t uvAccessor = model.accessor({{"bufferView", model.view(bytesOf(uvs))},
                                            {"componentType", 5126},
                                            {"count", n},
                                            {"type", "VEC2"}});
  return {{"POSITION", model.vec3(gridPositions(edited))},
          {"NORMAL", model.vec3(normals)},
          {"TEXCOORD_0", uvAccessor}};
}

// Two vertices moved, as a sparse substitution over zeros.
size_t sparseTarget(GlbBuilder& model) {
  const std::vector<std::uint8_t> indices = {5, 10};
  const std::vector<float> values = {0.0f, 0.2f, 0.0f, 0.0f, 0.2f, 0.0f};
  const size_t indexView = model.view(indices), valueView = model.view(bytesOf(values));
  return model.accessor({{"componentType", 5126},
                         {"count", kSide * kSide},
                         {"type", "VEC3"},
                         {"min", {0.0, 0.0, 0.0}},
                         {"max", {0.0, 0.2, 0.0}},
                         {"sparse",
                          {{"count", 2},
                           {"indices", {{"bufferView", indexView}, {"componentType", 5121}}},
                           {"values", {{"bufferView", valueView}}}}}});
}

GltfJson sourceTarget(GlbBuilder& model, size_t form) {
  const size_t n = kSide * kSide;
  if (form == 1)
    return {{"POSITION", sparseTarget(model)}};
  if (form == 2)
    return {{"POSITION", model.accessor({{"componentType", 5126},
                                         {"count", n},
                                         {"type", "VEC3"},
                                         {"min", {0.0, 0.0, 0.0}},
                                         {"max", {0.0, 0.0, 0.0}}})}};
  std::vector<float> deltas, normalDeltas;
  for (size_t v = 0; v < n; ++v) {
    deltas.insert(deltas.end(), {0.0f, 0.0f, 0.1f * float(v % kSide + v / kSide)});
    normalDeltas.insert(normalDeltas.end(), {0.01f, 0.0f, 0.0f});
  }
  return {{"POSITION", model.vec3(deltas)}, {"NORMAL", model.vec3(normalDeltas)}};
}

} // namespace

GlbBuilder smallModel(const ModelTargets& targets) {
  GlbBuilder model;
  std::vector<GltfJson> source, destination;
  GltfJson sourceAttributes = gridAttributes(model, false);
  for (size_t t = 0; t < targets.source.size(); ++t)
    source.push_back(sourceTarget(model, t % 3));
  model.mesh("Body", sourceAttributes, static_cast<long>(model.indices(gridTriangles())), source,
             targets.source);
  GltfJson editedAttributes = gridAttributes(model, true);
  for (size_t t = 0; t < targets.destination.size(); ++t)
    destination.push_back(
        {{"POSITION", model.vec3(std::vector<float>(kSide * kSide * 3, 0.3f + 0.1f * float(t)))}});
  model.mesh("BodyEdited", editedAttributes, static_cast<long>(model.indices(gridTriangles())),
             destination, targets.destination);
  return model;
}

size_t sourceTargetAccessor(const GlbBuilder& model, size_t target) {
  return model.json["meshes"][0]["primitives"][0]["targets"][target]["POSITION"].get<size_t>();
}

size_t destinationPositionAccessor(const GlbBuilder& model) {
  return model.json["meshes"][1]["primitives"][0]["attributes"]["POSITION"].get<size_t>();
}

void setFloat(GlbBuilder& model, size_t accessor, size_t element, size_t component, float value) {
  const GltfJson& a = model.json["accessors"][accessor];
  const GltfJson& view = model.json["bufferViews"][a["bufferView"].get<size_t>()];
  const size_t components = a["type"] == "SCALAR" ? 1 : a["type"].get<std::string>()[3] - '0';
  const size_t at = view["byteOffset"].get<size_t>() + (element * components + component) * 4;
  std::memcpy(&model.bin[at], &value, 4);
}

void writeGltfWithBuffer(const GlbBuilder& model, const std::string& gltfPath,
                         const std::string& bufferName) {
  GltfJson json = model.json;
  json["buffers"][0]["uri"] = bufferName;
  runner_test::writeFile(gltfPath, json.dump(2) + "\n");
  const std::string folder = std::filesystem::path(gltfPath).parent_path().string();
  runner_test::writeFile((std::filesystem::path(folder) / bufferName).string(),
                         std::string(model.bin.begin(), model.bin.end()));
}

namespace {

// The grid as OBJ vertex lines, moved by `lift` along z for the vertices `lift` names.
std::string objVertices(const std::vector<std::pair<int, float>>& lifts) {
  std::string text;
  std::vector<float> positions = gridPositions(false);
  for (const auto& [vertex, by] : lifts)
    positions[size_t(vertex) * 3 + 2] += by;
  for (size_t v = 0; v < positions.size() / 3; ++v)
    text += "v " + std::to_string(positions[v * 3]) + " " + std::to_string(positions[v * 3 + 1]) +
            " " + std::to_string(positions[v * 3 + 2]) + "\n";
  return text;
}

// The grid's faces as quads with texture coordinates, after the vertex lines.
std::string objMesh(const std::string& name, const std::vector<std::pair<int, float>>& lifts) {
  std::string text = "# " + name + ", a grid of " + std::to_string(kSide * kSide) +
                     " vertices\no " + name + "\n" + objVertices(lifts);
  for (int v = 0; v < kSide * kSide; ++v)
    text += "vt " + std::to_string(float(v % kSide) / (kSide - 1)) + " " +
            std::to_string(float(v / kSide) / (kSide - 1)) + "\n";
  text += "vn 0 0 1\nusemtl skin\ns 1\n";
  for (int j = 0; j + 1 < kSide; ++j)
    for (int i = 0; i + 1 < kSide; ++i) {
      const int v = j * kSide + i + 1, up = v + kSide;
      text += "f " + std::to_string(v) + "/" + std::to_string(v) + "/1 " + std::to_string(v + 1) +
              "/" + std::to_string(v + 1) + "/1 " + std::to_string(up + 1) + "/" +
              std::to_string(up + 1) + "/1 " + std::to_string(up) + "/" + std::to_string(up) +
              "/1\n";
    }
  return text;
}

} // namespace

std::vector<std::string> writeSmallObjSet(const std::string& folder) {
  namespace fs = std::filesystem;
  fs::create_directories(fs::path(folder) / "shapes");
  const std::vector<std::pair<std::string, std::string>> files = {
      {"Body.obj", objMesh("Body", {})},
      {"shapes/smile.obj", "# smile\n" + objVertices({{1, 0.1f}, {2, 0.1f}})},
      {"shapes/blink.obj", "# blink\n" + objVertices({{9, -0.2f}})},
      {"BodyEdited.obj", objMesh("BodyEdited", {{5, 0.05f}})}};
  std::vector<std::string> paths;
  for (const auto& [name, text] : files) {
    paths.push_back((fs::path(folder) / name).string());
    runner_test::writeFile(paths.back(), text);
  }
  return paths;
}

runner::FileArguments objSetArguments(const std::vector<std::string>& set,
                                      const std::string& outputFolder) {
  runner::FileArguments arguments;
  arguments.source = set[0];
  arguments.morphs = {set[1], set[2]};
  arguments.destination = set[3];
  arguments.outputFolder = outputFolder;
  return arguments;
}

ReadOutcome readAsARun(const runner::FileArguments& arguments) {
  try {
    const std::unique_ptr<runner::RunFiles> files = runner::openRunFiles(arguments);
    sim::Host host;
    files->read(host.newDocument(), {});
    return {};
  } catch (const runner::FileError& e) {
    return {runner::kExitBadInput, e.what()};
  } catch (const runner::RunError& e) {
    return {e.code, e.what()};
  }
}

} // namespace hostile
