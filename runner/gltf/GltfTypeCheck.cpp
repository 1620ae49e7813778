// The kinds of the glTF 2.0 properties, checked over the whole file before anything is read: a
// file whose parts the run does not touch is still refused when any of them is malformed, since
// the result would carry the fault on. Every object's "name" is a string, its "extensions" an
// object of objects; "extras" may be anything.
#include "GltfJsonAccess.h"

namespace runner {

namespace {

enum class Kind { String, Index, Number, Boolean, Object, Numbers, Indices, Strings, Objects };

struct Field {
  const char* name;
  Kind kind;
  const Field* members = nullptr; // Object, Objects: the members' fields (null-name terminated)
};

const Field kNone[] = {{nullptr, Kind::String}};
const Field kTextureInfo[] = {{"index", Kind::Index},
                              {"texCoord", Kind::Index},
                              {"scale", Kind::Number},
                              {"strength", Kind::Number},
                              {nullptr, Kind::String}};
const Field kPbr[] = {{"baseColorFactor", Kind::Numbers},
                      {"baseColorTexture", Kind::Object, kTextureInfo},
                      {"metallicFactor", Kind::Number},
                      {"roughnessFactor", Kind::Number},
                      {"metallicRoughnessTexture", Kind::Object, kTextureInfo},
                      {nullptr, Kind::String}};
const Field kMaterial[] = {{"pbrMetallicRoughness", Kind::Object, kPbr},
                           {"normalTexture", Kind::Object, kTextureInfo},
                           {"occlusionTexture", Kind::Object, kTextureInfo},
                           {"emissiveTexture", Kind::Object, kTextureInfo},
                           {"emissiveFactor", Kind::Numbers},
                           {"alphaMode", Kind::String},
                           {"alphaCutoff", Kind::Number},
                           {"doubleSided", Kind::Boolean},
                           {nullptr, Kind::String}};
const Field kPrimitive[] = {{"attributes", Kind::Object, kNone}, {"indices", Kind::Index},
                            {"material", Kind::Index},           {"mode", Kind::Index},
                            {"targets", Kind::Objects, kNone},   {nullptr, Kind::String}};
const Field kMesh[] = {
    {"primitives", Kind::Objects, kPrimitive}, {"weights", Kind::Numbers}, {nullptr, Kind::String}};
const Field kNode[] = {{"camera", Kind::Index},    {"mesh", Kind::Index},
                       {"skin", Kind::Index},      {"children", Kind::Indices},
                       {"matrix", Kind::Numbers},  {"rotation", Kind::Numbers},
                       {"scale", Kind::Numbers},   {"translation", Kind::Numbers},
                       {"weights", Kind::Numbers}, {nullptr, Kind::String}};
const Field kSparsePart[] = {{"bufferView", Kind::Index},
                             {"byteOffset", Kind::Index},
                             {"componentType", Kind::Index},
                             {nullptr, Kind::String}};
const Field kSparse[] = {{"count", Kind::Index},
                         {"indices", Kind::Object, kSparsePart},
                         {"values", Kind::Object, kSparsePart},
                         {nullptr, Kind::String}};
const Field kAccessor[] = {
    {"bufferView", Kind::Index},   {"byteOffset", Kind::Index}, {"componentType", Kind::Index},
    {"normalized", Kind::Boolean}, {"count", Kind::Index},      {"type", Kind::String},
    {"max", Kind::Numbers},        {"min", Kind::Numbers},      {"sparse", Kind::Object, kSparse},
    {nullptr, Kind::String}};
const Field kBufferView[] = {{"buffer", Kind::Index},     {"byteOffset", Kind::Index},
                             {"byteLength", Kind::Index}, {"byteStride", Kind::Index},
                             {"target", Kind::Index},     {nullptr, Kind::String}};
const Field kBuffer[] = {
    {"uri", Kind::String}, {"byteLength", Kind::Index}, {nullptr, Kind::String}};
const Field kImage[] = {{"uri", Kind::String},
                        {"mimeType", Kind::String},
                        {"bufferView", Kind::Index},
                        {nullptr, Kind::String}};
const Field kTexture[] = {
    {"sampler", Kind::Index}, {"source", Kind::Index}, {nullptr, Kind::String}};
const Field kSampler[] = {{"magFilter", Kind::Index},
                          {"minFilter", Kind::Index},
                          {"wrapS", Kind::Index},
                          {"wrapT", Kind::Index},
                          {nullptr, Kind::String}};
const Field kSkin[] = {{"inverseBindMatrices", Kind::Index},
                       {"skeleton", Kind::Index},
                       {"joints", Kind::Indices},
                       {nullptr, Kind::String}};
const Field kTarget[] = {{"node", Kind::Index}, {"path", Kind::String}, {nullptr, Kind::String}};
const Field kChannel[] = {
    {"sampler", Kind::Index}, {"target", Kind::Object, kTarget}, {nullptr, Kind::String}};
const Field kAnimationSampler[] = {{"input", Kind::Index},
                                   {"interpolation", Kind::String},
                                   {"output", Kind::Index},
                                   {nullptr, Kind::String}};
const Field kAnimation[] = {{"channels", Kind::Objects, kChannel},
                            {"samplers", Kind::Objects, kAnimationSampler},
                            {nullptr, Kind::String}};
const Field kCamera[] = {{"type", Kind::String},
                         {"perspective", Kind::Object, kNone},
                         {"orthographic", Kind::Object, kNone},
                         {nullptr, Kind::String}};
const Field kScene[] = {{"nodes", Kind::Indices}, {nullptr, Kind::String}};
const Field kAsset[] = {{"version", Kind::String},
                        {"minVersion", Kind::String},
                        {"generator", Kind::String},
                        {"copyright", Kind::String},
                        {nullptr, Kind::String}};
const Field kRoot[] = {
    {"asset", Kind::Object, kAsset},         {"scene", Kind::Index},
    {"extensionsUsed", Kind::Strings},       {"extensionsRequired", Kind::Strings},
    {"accessors", Kind::Objects, kAccessor}, {"animations", Kind::Objects, kAnimation},
    {"buffers", Kind::Objects, kBuffer},     {"bufferViews", Kind::Objects, kBufferView},
    {"cameras", Kind::Objects, kCamera},     {"images", Kind::Objects, kImage},
    {"materials", Kind::Objects, kMaterial}, {"meshes", Kind::Objects, kMesh},
    {"nodes", Kind::Objects, kNode},         {"samplers", Kind::Objects, kSampler},
    {"scenes", Kind::Objects, kScene},       {"skins", Kind::Objects, kSkin},
    {"textures", Kind::Objects, kTexture},   {nullptr, Kind::String}};

bool isIndex(const GltfJson& v) {
  return v.is_number_unsigned() || (v.is_number_integer() && v.get<std::int64_t>() >= 0);
}

const char* expected(Kind kind) {
  switch (kind) {
  case Kind::String:
    return "a string";
  case Kind::Index:
    return "a non-negative integer";
  case Kind::Number:
    return "a number";
  case Kind::Boolean:
    return "a boolean";
  case Kind::Object:
    return "an object";
  case Kind::Numbers:
    return "an array of numbers";
  case Kind::Indices:
    return "an array of non-negative integers";
  case Kind::Strings:
    return "an array of strings";
  default:
    return "an array of objects";
  }
}

bool fits(const GltfJson& v, Kind kind) {
  auto all = [&](bool (*test)(const GltfJson&)) {
    if (!v.is_array())
      return false;
    for (const GltfJson& item : v)
      if (!test(item))
        return false;
    return true;
  };
  switch (kind) {
  case Kind::String:
    return v.is_string();
  case Kind::Index:
    return isIndex(v);
  case Kind::Number:
    return v.is_number();
  case Kind::Boolean:
    return v.is_boolean();
  case Kind::Object:
    return v.is_object();
  case Kind::Numbers:
    return all([](const GltfJson& i) { return i.is_number(); });
  case Kind::Indices:
    return all([](const GltfJson& i) { return isIndex(i); });
  case Kind::Strings:
    return all([](const GltfJson& i) { return i.is_string(); });
  default:
    return all([](const GltfJson& i) { return i.is_object(); });
  }
}

void checkObject(const GltfAsset& asset, const GltfJson& object, const Field* fields,
                 const std::string& place) {
  if (object.contains("name") && !object["name"].is_string())
    fail(asset, place + ".name", "expected a string");
  if (object.contains("extensions")) {
    const GltfJson& extensions = object["extensions"];
    if (!extensions.is_object())
      fail(asset, place + ".extensions", "expected an object");
    for (auto e = extensions.begin(); e != extensions.end(); ++e)
      if (!e->is_object())
        fail(asset, place + ".extensions." + e.key(), "expected an object");
  }
  for (const Field* f = fields; f->name; ++f) {
    const auto it = object.find(f->name);
    if (it == object.end())
      continue;
    const std::string at = place + (place.empty() ? "" : ".") + f->name;
    if (!fits(*it, f->kind))
      fail(asset, at, std::string("expected ") + expected(f->kind));
    if (f->kind == Kind::Object)
      checkObject(asset, *it, f->members, at);
    else if (f->kind == Kind::Objects)
      for (size_t i = 0; i < it->size(); ++i)
        checkObject(asset, (*it)[i], f->members, at + "[" + std::to_string(i) + "]");
  }
}

} // namespace

void checkPropertyKinds(const GltfAsset& asset) {
  checkObject(asset, asset.json, kRoot, "");
}

} // namespace runner
