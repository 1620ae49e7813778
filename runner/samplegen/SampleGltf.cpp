// The sample document exported as glTF meshes.
#include "SampleGltf.h"

#include "AccessorWriter.h"
#include "GltfAsset.h"
#include "HostObjects.h"
#include "transfer/ElementNaming.h"

#include <cmath>
#include <cstring>
#include <map>

namespace runner {

namespace {

// Smooth vertex normals: the normalized sum of the area-weighted normals of the triangles round
// each vertex (faces fanned from their first corner).
std::vector<float> vertexNormals(const sim::Object& object) {
  std::vector<float> sums(static_cast<size_t>(object.vertexCount()) * 3, 0.0f);
  for (int f = 0; f < object.faceCount(); ++f) {
    const int* p = object.facePoints(f);
    for (int c = 1; c + 1 < object.facePointCount(f); ++c) {
      const MQPoint& a = object.positions[static_cast<size_t>(p[0])];
      const MQPoint& b = object.positions[static_cast<size_t>(p[c])];
      const MQPoint& d = object.positions[static_cast<size_t>(p[c + 1])];
      const float u[3] = {b.x - a.x, b.y - a.y, b.z - a.z},
                  w[3] = {d.x - a.x, d.y - a.y, d.z - a.z};
      const float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                          u[0] * w[1] - u[1] * w[0]};
      for (int k : {p[0], p[c], p[c + 1]})
        for (size_t i = 0; i < 3; ++i)
          sums[static_cast<size_t>(k) * 3 + i] += n[i];
    }
  }
  for (size_t v = 0; v < sums.size(); v += 3) {
    const float length =
        std::sqrt(sums[v] * sums[v] + sums[v + 1] * sums[v + 1] + sums[v + 2] * sums[v + 2]);
    for (size_t i = 0; length > 0.0f && i < 3; ++i)
      sums[v + i] /= length;
  }
  return sums;
}

std::uint64_t uvKey(const MQCoordinate& uv) {
  std::uint32_t u, v;
  std::memcpy(&u, &uv.u, 4);
  std::memcpy(&v, &uv.v, 4);
  return (std::uint64_t{u} << 32) | v;
}

// One primitive: the glTF vertices (host vertex and UV) of one material's faces, in host vertex
// order, and its triangles.
struct Primitive {
  int material = -1;
  std::vector<int> hostVertex;
  std::vector<MQCoordinate> uvs;
  std::vector<std::uint32_t> indices;
};

std::vector<Primitive> primitivesOf(const sim::Object& object) {
  std::map<int, std::map<std::pair<int, std::uint64_t>, std::uint32_t>> vertices;
  for (int f = 0; f < object.faceCount(); ++f)
    for (int c = 0; c < object.facePointCount(f); ++c)
      vertices[object.materials[static_cast<size_t>(f)]].emplace(
          std::make_pair(object.facePoints(f)[c], uvKey(object.faceUvs(f)[c])), 0);
  std::vector<Primitive> out;
  for (auto& [material, keys] : vertices) {
    Primitive p;
    p.material = material;
    for (auto& [key, index] : keys) {
      index = static_cast<std::uint32_t>(p.hostVertex.size());
      p.hostVertex.push_back(key.first);
    }
    p.uvs.resize(p.hostVertex.size());
    for (int f = 0; f < object.faceCount(); ++f) {
      if (object.materials[static_cast<size_t>(f)] != material)
        continue;
      std::vector<std::uint32_t> corners;
      for (int c = 0; c < object.facePointCount(f); ++c) {
        corners.push_back(keys.at({object.facePoints(f)[c], uvKey(object.faceUvs(f)[c])}));
        p.uvs[corners.back()] = object.faceUvs(f)[c];
      }
      for (size_t c = 1; c + 1 < corners.size(); ++c)
        p.indices.insert(p.indices.end(), {corners[0], corners[c], corners[c + 1]});
    }
    out.push_back(std::move(p));
  }
  return out;
}

// Per glTF vertex of the primitive: three floats of `perVertex` minus `base` (when given).
std::vector<float> gather(const Primitive& p, const std::vector<float>& perVertex,
                          const std::vector<float>* base = nullptr) {
  std::vector<float> out;
  for (int h : p.hostVertex)
    for (size_t i = 0; i < 3; ++i)
      out.push_back(perVertex[static_cast<size_t>(h) * 3 + i] -
                    (base ? (*base)[static_cast<size_t>(h) * 3 + i] : 0.0f));
  return out;
}

void addMesh(GltfAsset& asset, AccessorWriter& writer, const sim::Object& object,
             const std::string& name, const std::vector<const sim::Object*>& elements,
             bool sparse) {
  const std::vector<float> positions = positionsOf(object), normals = vertexNormals(object);
  GltfJson mesh = {{"name", name}, {"primitives", GltfJson::array()}};
  bool isSparse = false;
  for (const Primitive& p : primitivesOf(object)) {
    std::vector<float> uvs;
    for (const MQCoordinate& uv : p.uvs)
      uvs.insert(uvs.end(), {uv.u, uv.v});
    const size_t n = p.hostVertex.size();
    GltfJson primitive = {
        {"attributes",
         {{"POSITION", writer.addVec3(gather(p, positions), 0, n, "", true, false, isSparse)},
          {"NORMAL", writer.addVec3(gather(p, normals), 0, n, "", false, false, isSparse)},
          {"TEXCOORD_0", writer.addFloats(uvs, 2, 0, n, "", false, false, isSparse)}}},
        {"indices", writer.addIndices(p.indices)},
        {"material", p.material}};
    GltfJson targets = GltfJson::array();
    for (const sim::Object* e : elements) {
      const std::string morph = naming::morphNameOf(e->name());
      const std::vector<float> moved = positionsOf(*e), turned = vertexNormals(*e);
      targets.push_back({{"POSITION", writer.addVec3(gather(p, moved, &positions), 0, n, morph,
                                                     true, sparse, isSparse)},
                         {"NORMAL", writer.addVec3(gather(p, turned, &normals), 0, n, morph, false,
                                                   sparse, isSparse)}});
    }
    if (!elements.empty())
      primitive["targets"] = targets;
    mesh["primitives"].push_back(primitive);
  }
  if (!elements.empty()) {
    mesh["weights"] = std::vector<double>(elements.size(), 0.0);
    GltfJson names = GltfJson::array();
    for (const sim::Object* e : elements)
      names.push_back(naming::morphNameOf(e->name()));
    mesh["extras"] = {{"targetNames", names}};
  }
  const size_t index = asset.json["meshes"].size();
  asset.json["meshes"].push_back(mesh);
  asset.json["nodes"].push_back({{"name", name}, {"mesh", index}});
  asset.json["scenes"][0]["nodes"].push_back(index);
}

GltfAsset emptyAsset(const std::string& path) {
  GltfAsset asset;
  asset.path = path;
  asset.binary = true;
  asset.json = {{"asset", {{"version", "2.0"}, {"generator", "tovalinder-sample"}}},
                {"scene", 0},
                {"scenes", {{{"nodes", GltfJson::array()}}}},
                {"nodes", GltfJson::array()},
                {"meshes", GltfJson::array()},
                {"materials", GltfJson::array()},
                {"buffers", {{{"byteLength", 0}}}}};
  const char* const names[] = {"Torso", "Head", "Arms"};
  const double colours[][3] = {{0.55, 0.42, 0.35}, {0.85, 0.66, 0.55}, {0.75, 0.58, 0.48}};
  for (size_t m = 0; m < 3; ++m)
    asset.json["materials"].push_back(
        {{"name", names[m]},
         {"pbrMetallicRoughness",
          {{"baseColorFactor", {colours[m][0], colours[m][1], colours[m][2], 1.0}},
           {"metallicFactor", 0.0}}}});
  asset.buffers.emplace_back();
  asset.origins.push_back(BufferOrigin::BinaryChunk);
  return asset;
}

} // namespace

void writeSampleGltf(const SampleOptions& options, const std::string& sourcePath,
                     const std::string& editedPath, bool sparse) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  buildSampleDocument(document, options);
  addGltfSampleParts(document);
  const sim::Object* body = document.findObject("Body");
  const sim::Object* edited = document.findObject("BodyEdited");
  std::vector<const sim::Object*> elements;
  for (const sim::Object* object : document.objects())
    if (naming::isElementOf(object->name(), body->name()))
      elements.push_back(object);
  GltfAsset source = emptyAsset(sourcePath);
  {
    AccessorWriter writer(source);
    addMesh(source, writer, *body, "Body", elements, sparse);
    if (editedPath.empty())
      addMesh(source, writer, *edited, "BodyEdited", {}, sparse);
    writer.finish();
  }
  saveGltf(source, sourcePath);
  if (editedPath.empty())
    return;
  GltfAsset copy = emptyAsset(editedPath);
  {
    AccessorWriter writer(copy);
    addMesh(copy, writer, *edited, "Body", {}, sparse);
    writer.finish();
  }
  saveGltf(copy, editedPath);
}

} // namespace runner
