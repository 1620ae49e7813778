#include "GltfJsonAccess.h"

namespace runner {

namespace {

const char* kindOf(const GltfJson& v) {
  return v.is_null()             ? "null"
         : v.is_boolean()        ? "a boolean"
         : v.is_number_integer() ? "an integer"
         : v.is_number()         ? "a number"
         : v.is_string()         ? "a string"
         : v.is_array()          ? "an array"
                                 : "an object";
}

const char* const kTopArrays[] = {"accessors", "animations", "buffers", "bufferViews", "cameras",
                                  "images",    "materials",  "meshes",  "nodes",       "samplers",
                                  "scenes",    "skins",      "textures"};

} // namespace

void fail(const GltfAsset& asset, const std::string& jsonPath, const std::string& what) {
  throw FileError(gltfPlace(asset, jsonPath) + what);
}

const GltfJson& objectAt(const GltfAsset& asset, const GltfJson& array, size_t index,
                         const std::string& jsonPath) {
  const GltfJson& v = array.at(index);
  if (!v.is_object())
    fail(asset, jsonPath, std::string("expected an object, found ") + kindOf(v));
  return v;
}

std::uint64_t unsignedMember(const GltfAsset& asset, const GltfJson& object, const char* key,
                             const std::string& jsonPath, bool required, std::uint64_t fallback) {
  const auto it = object.find(key);
  if (it == object.end()) {
    if (required)
      fail(asset, jsonPath, std::string("\"") + key + "\" is missing");
    return fallback;
  }
  if (!it->is_number_unsigned() && !(it->is_number_integer() && it->get<std::int64_t>() >= 0))
    fail(asset, jsonPath + "." + key,
         std::string("expected a non-negative integer, found ") + kindOf(*it));
  return it->get<std::uint64_t>();
}

long indexMember(const GltfAsset& asset, const GltfJson& object, const char* key,
                 const std::string& jsonPath, const char* list, bool required) {
  if (!object.contains(key) && !required)
    return -1;
  const std::uint64_t index = unsignedMember(asset, object, key, jsonPath, true);
  const size_t size = topArray(asset, list).size();
  if (index >= size)
    fail(asset, jsonPath + "." + key,
         "index " + std::to_string(index) + " past the " + std::to_string(size) + " " + list);
  return static_cast<long>(index);
}

std::string stringMember(const GltfAsset& asset, const GltfJson& object, const char* key,
                         const std::string& jsonPath) {
  const auto it = object.find(key);
  if (it == object.end())
    return std::string();
  if (!it->is_string())
    fail(asset, jsonPath + "." + key, std::string("expected a string, found ") + kindOf(*it));
  return it->get<std::string>();
}

ViewSpan bufferViewSpan(const GltfAsset& asset, size_t view) {
  const std::string place = "bufferViews[" + std::to_string(view) + "]";
  const GltfJson& v = topArray(asset, "bufferViews")[view];
  ViewSpan span;
  span.buffer = static_cast<size_t>(indexMember(asset, v, "buffer", place, "buffers", true));
  span.offset = unsignedMember(asset, v, "byteOffset", place, false);
  span.length = unsignedMember(asset, v, "byteLength", place, true);
  const size_t size = asset.buffers[span.buffer].size();
  if (span.offset > size || span.length > size - span.offset)
    fail(asset, place,
         "bytes " + std::to_string(span.offset) + " to " +
             std::to_string(span.offset + span.length) + " run past the " + std::to_string(size) +
             " bytes of buffers[" + std::to_string(span.buffer) + "]");
  return span;
}

const GltfJson& topArray(const GltfAsset& asset, const char* list) {
  static const GltfJson empty = GltfJson::array();
  const auto it = asset.json.find(list);
  return it == asset.json.end() ? empty : *it;
}

void checkRoot(const GltfAsset& asset) {
  if (!asset.json.is_object())
    throw FileError(asset.path + ": not a glTF file: the JSON is " + kindOf(asset.json) +
                    ", not an object");
  const auto it = asset.json.find("asset");
  if (it == asset.json.end() || !it->is_object())
    fail(asset, "asset", "missing: not a glTF file");
  const std::string version = stringMember(asset, *it, "version", "asset");
  if (version.rfind("2.", 0) != 0)
    fail(asset, "asset.version", "\"" + version + "\": this reader takes glTF 2.0 files");
  checkPropertyKinds(asset);
  for (const char* list : kTopArrays) {
    const auto found = asset.json.find(list);
    if (found == asset.json.end())
      continue;
    if (!found->is_array())
      fail(asset, list, std::string("expected an array, found ") + kindOf(*found));
    for (size_t i = 0; i < found->size(); ++i)
      objectAt(asset, *found, i, std::string(list) + "[" + std::to_string(i) + "]");
  }
}

} // namespace runner
