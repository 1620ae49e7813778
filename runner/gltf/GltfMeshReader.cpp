#include "GltfAccessor.h"
#include "GltfJsonAccess.h"
#include "GltfMesh.h"

namespace runner {

namespace {

const char* const kModeNames[] = {"points",    "lines",          "line loop",   "line strip",
                                  "triangles", "triangle strip", "triangle fan"};

std::string meshPlace(size_t mesh) {
  return "meshes[" + std::to_string(mesh) + "]";
}

std::string primitivePlace(size_t mesh, size_t primitive) {
  return meshPlace(mesh) + ".primitives[" + std::to_string(primitive) + "]";
}

const GltfJson& primitivesOf(const GltfAsset& asset, size_t mesh) {
  const GltfJson& m = topArray(asset, "meshes")[mesh];
  const auto it = m.find("primitives");
  if (it == m.end() || !it->is_array() || it->empty())
    fail(asset, meshPlace(mesh) + ".primitives", "expected a non-empty array of primitives");
  for (size_t p = 0; p < it->size(); ++p)
    objectAt(asset, *it, p, primitivePlace(mesh, p));
  return *it;
}

std::uint64_t modeOf(const GltfAsset& asset, const GltfJson& primitive, const std::string& place) {
  const std::uint64_t mode = unsignedMember(asset, primitive, "mode", place, false, 4);
  if (mode > 6)
    fail(asset, place + ".mode", std::to_string(mode) + " is no primitive mode (0 to 6)");
  return mode;
}

const GltfJson& attributesOf(const GltfAsset& asset, const GltfJson& primitive,
                             const std::string& place) {
  const auto it = primitive.find("attributes");
  if (it == primitive.end() || !it->is_object())
    fail(asset, place + ".attributes", "expected an object of attributes");
  if (!it->contains("POSITION"))
    fail(asset, place + ".attributes", "no POSITION attribute");
  for (auto a = it->begin(); a != it->end(); ++a)
    indexMember(asset, *it, a.key().c_str(), place + ".attributes", "accessors", true);
  return *it;
}

size_t targetCountOf(const GltfAsset& asset, const GltfJson& primitive, const std::string& place) {
  const auto it = primitive.find("targets");
  if (it == primitive.end())
    return 0;
  if (!it->is_array())
    fail(asset, place + ".targets", "expected an array");
  for (size_t t = 0; t < it->size(); ++t) {
    const std::string tp = place + ".targets[" + std::to_string(t) + "]";
    const GltfJson& target = objectAt(asset, *it, t, tp);
    for (auto a = target.begin(); a != target.end(); ++a)
      indexMember(asset, target, a.key().c_str(), tp, "accessors", true);
  }
  return it->size();
}

std::string targetName(const GltfAsset& asset, const GltfJson& mesh, const GltfJson& primitive,
                       size_t t) {
  const auto extras = mesh.find("extras");
  if (extras != mesh.end() && extras->is_object()) {
    const auto names = extras->find("targetNames");
    if (names != extras->end() && names->is_array() && t < names->size() &&
        (*names)[t].is_string() && !(*names)[t].get<std::string>().empty())
      return (*names)[t].get<std::string>();
  }
  const GltfJson& target = primitive["targets"][t];
  if (target.contains("POSITION")) {
    const GltfJson& accessor = topArray(asset, "accessors")[target["POSITION"].get<size_t>()];
    if (accessor.contains("name") && accessor["name"].is_string() &&
        !accessor["name"].get<std::string>().empty())
      return accessor["name"].get<std::string>();
  }
  return "target" + std::to_string(t);
}

void appendTriangles(MeshGeometry& g, std::uint64_t mode, const std::vector<std::uint32_t>& order,
                     size_t first, int material) {
  auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    if (a == b || b == c || a == c)
      return; // strips and fans use repeated indices as joints
    for (std::uint32_t v : {a, b, c})
      g.triangles.push_back(static_cast<std::uint32_t>(first + v));
    g.triangleMaterials.push_back(material);
  };
  const size_t n = order.size();
  if (mode == 4)
    for (size_t i = 0; i + 2 < n; i += 3)
      add(order[i], order[i + 1], order[i + 2]);
  else if (mode == 5)
    for (size_t i = 0; i + 2 < n; ++i)
      i % 2 == 0 ? add(order[i], order[i + 1], order[i + 2])
                 : add(order[i + 1], order[i], order[i + 2]);
  else
    for (size_t i = 1; i + 1 < n; ++i)
      add(order[i], order[i + 1], order[0]);
}

} // namespace

bool MeshGeometry::hasNormals(size_t vertex) const {
  for (const PrimitiveSpan& s : spans)
    if (vertex >= s.firstVertex && vertex < s.firstVertex + s.vertexCount)
      return s.hasNormals;
  return false;
}

std::vector<MeshSummary> listMeshes(const GltfAsset& asset) {
  const GltfJson& meshes = topArray(asset, "meshes");
  std::vector<MeshSummary> out(meshes.size());
  const GltfJson& nodes = topArray(asset, "nodes");
  for (size_t n = 0; n < nodes.size(); ++n) {
    const std::string place = "nodes[" + std::to_string(n) + "]";
    const long mesh = indexMember(asset, nodes[n], "mesh", place, "meshes", false);
    const std::string name = stringMember(asset, nodes[n], "name", place);
    if (mesh >= 0 && !name.empty())
      out[static_cast<size_t>(mesh)].nodeNames.push_back(name);
  }
  for (size_t m = 0; m < meshes.size(); ++m) {
    MeshSummary& s = out[m];
    s.index = m;
    s.meshName = stringMember(asset, meshes[m], "name", meshPlace(m));
    s.name = !s.nodeNames.empty()  ? s.nodeNames.front()
             : !s.meshName.empty() ? s.meshName
                                   : "mesh" + std::to_string(m);
    const GltfJson& primitives = primitivesOf(asset, m);
    s.primitives = primitives.size();
    size_t targets = 0;
    for (size_t p = 0; p < primitives.size(); ++p) {
      const std::string place = primitivePlace(m, p);
      modeOf(asset, primitives[p], place);
      attributesOf(asset, primitives[p], place);
      indexMember(asset, primitives[p], "indices", place, "accessors", false);
      indexMember(asset, primitives[p], "material", place, "materials", false);
      const size_t count = targetCountOf(asset, primitives[p], place);
      if (p > 0 && count != targets)
        fail(asset, place + ".targets",
             std::to_string(count) + " targets, but primitives[0] has " + std::to_string(targets) +
                 " (every primitive of a mesh has the same targets)");
      targets = count;
    }
    for (size_t t = 0; t < targets; ++t)
      s.targetNames.push_back(targetName(asset, meshes[m], primitives[0], t));
  }
  return out;
}

namespace {

// An attribute of `count` elements of `components`, checked against POSITION's count.
std::vector<float> attributeOf(const GltfAsset& asset, const GltfJson& attributes, const char* name,
                               int components, size_t count, const std::string& place) {
  const std::string at = place + ".attributes." + name;
  if (!attributes.contains(name))
    return std::vector<float>(count * static_cast<size_t>(components), 0.0f);
  std::vector<float> values = readFloats(asset, attributes[name].get<size_t>(), components, at);
  if (values.size() != count * static_cast<size_t>(components))
    fail(asset, at,
         std::to_string(values.size() / static_cast<size_t>(components)) +
             " elements, but POSITION has " + std::to_string(count));
  return values;
}

// The primitive's corners in drawing order, every one checked to name one of its vertices.
std::vector<std::uint32_t> cornersOf(const GltfAsset& asset, const GltfJson& primitive,
                                     size_t vertices, std::uint64_t mode,
                                     const std::string& place) {
  std::vector<std::uint32_t> order;
  if (primitive.contains("indices")) {
    order = readIndices(asset, primitive["indices"].get<size_t>(), place + ".indices");
    for (size_t i = 0; i < order.size(); ++i)
      if (order[i] >= vertices)
        fail(asset, place + ".indices",
             "index " + std::to_string(order[i]) + " (element " + std::to_string(i) +
                 ") past the " + std::to_string(vertices) + " vertices of POSITION");
  } else {
    order.resize(vertices);
    for (size_t i = 0; i < order.size(); ++i)
      order[i] = static_cast<std::uint32_t>(i);
  }
  if (mode == 4 && order.size() % 3 != 0)
    fail(asset, place,
         "a triangle list of " + std::to_string(order.size()) + " corners, not a multiple of 3");
  return order;
}

// The primitive's target deltas appended to the mesh's (zeros where it has none).
void appendTargets(const GltfAsset& asset, MeshGeometry& g, const GltfJson& primitive,
                   const PrimitiveSpan& span, const std::string& place, bool keep) {
  for (size_t t = 0; t < g.targets.size(); ++t) {
    const GltfJson& target = primitive["targets"][t];
    const std::string tp = place + ".targets[" + std::to_string(t) + "]";
    MorphTarget& out = g.targets[t];
    for (const char* name : {"POSITION", "NORMAL"}) {
      std::vector<float>& into = name[0] == 'P' ? out.positions : out.normals;
      const bool present = target.contains(name);
      if (!present && name[0] == 'N' && into.empty())
        continue;
      if (!keep && !present)
        continue;
      if (keep)
        into.resize(span.firstVertex * 3, 0.0f); // earlier primitives without this attribute
      if (!present) {
        into.resize(into.size() + span.vertexCount * 3, 0.0f);
        continue;
      }
      const std::vector<float> deltas =
          readFloats(asset, target[name].get<size_t>(), 3, tp + "." + name);
      if (deltas.size() != span.vertexCount * 3)
        fail(asset, tp + "." + name,
             std::to_string(deltas.size() / 3) + " elements, but POSITION has " +
                 std::to_string(span.vertexCount));
      if (keep)
        into.insert(into.end(), deltas.begin(), deltas.end());
    }
  }
}

void appendPrimitive(const GltfAsset& asset, MeshGeometry& g, const GltfJson& primitive, size_t p,
                     std::uint64_t mode, const std::string& place, bool keepTargets) {
  const GltfJson& attributes = attributesOf(asset, primitive, place);
  PrimitiveSpan span;
  span.primitive = p;
  span.firstVertex = g.vertexCount();
  const std::vector<float> positions =
      readFloats(asset, attributes["POSITION"].get<size_t>(), 3, place + ".attributes.POSITION");
  span.vertexCount = positions.size() / 3;
  span.hasNormals = attributes.contains("NORMAL");
  span.hasUvs = attributes.contains("TEXCOORD_0");
  const std::vector<float> normals =
      attributeOf(asset, attributes, "NORMAL", 3, span.vertexCount, place);
  const std::vector<float> uvs =
      attributeOf(asset, attributes, "TEXCOORD_0", 2, span.vertexCount, place);
  g.positions.insert(g.positions.end(), positions.begin(), positions.end());
  g.normals.insert(g.normals.end(), normals.begin(), normals.end());
  g.uvs.insert(g.uvs.end(), uvs.begin(), uvs.end());
  appendTriangles(
      g, mode, cornersOf(asset, primitive, span.vertexCount, mode, place), span.firstVertex,
      static_cast<int>(indexMember(asset, primitive, "material", place, "materials", false)));
  appendTargets(asset, g, primitive, span, place, keepTargets);
  g.spans.push_back(span);
}

} // namespace

MeshGeometry readMesh(const GltfAsset& asset, const MeshSummary& summary, bool keepTargets) {
  MeshGeometry g;
  g.summary = summary;
  g.targets.resize(summary.targetNames.size());
  for (size_t t = 0; t < g.targets.size(); ++t)
    g.targets[t].name = summary.targetNames[t];
  const GltfJson& primitives = primitivesOf(asset, summary.index);
  for (size_t p = 0; p < primitives.size(); ++p) {
    const std::string place = primitivePlace(summary.index, p);
    const std::uint64_t mode = modeOf(asset, primitives[p], place);
    if (mode < 4)
      g.skipped.push_back(place + " (" + kModeNames[mode] + ")");
    else
      appendPrimitive(asset, g, primitives[p], p, mode, place, keepTargets);
  }
  for (MorphTarget& t : g.targets) {
    if (!keepTargets)
      break;
    t.positions.resize(g.positions.size(), 0.0f);
    if (!t.normals.empty())
      t.normals.resize(g.positions.size(), 0.0f);
  }
  if (!g.targets.empty())
    checkWeightAnimations(asset, summary.index);
  return g;
}

std::vector<MeshSummary> readEveryMesh(const GltfAsset& asset) {
  std::vector<MeshSummary> meshes = listMeshes(asset);
  for (const MeshSummary& mesh : meshes)
    readMesh(asset, mesh, false);
  return meshes;
}

} // namespace runner
