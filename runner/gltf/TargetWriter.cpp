#include "TargetWriter.h"

#include "AccessorWriter.h"
#include "GltfAccessor.h"
#include "GltfJsonAccess.h"

namespace runner {

namespace {

// The vertices of every primitive in the mesh's primitive order: triangle primitives from the
// geometry, skipped ones (points, lines) by their POSITION count, which get zero deltas.
struct PrimitiveVertices {
  bool triangles = false;
  size_t first = 0, count = 0;
};

std::vector<PrimitiveVertices> primitiveVertices(const GltfAsset& asset, const MeshGeometry& mesh) {
  const GltfJson& primitives = asset.json["meshes"][mesh.summary.index]["primitives"];
  std::vector<PrimitiveVertices> out(primitives.size());
  for (size_t p = 0; p < primitives.size(); ++p)
    out[p].count =
        accessorCount(asset, primitives[p]["attributes"]["POSITION"].get<size_t>(), "POSITION");
  for (const PrimitiveSpan& span : mesh.spans)
    out[span.primitive] = PrimitiveVertices{true, span.firstVertex, span.vertexCount};
  return out;
}

// Mesh weights, node weights and extras.targetNames grown to `count` targets.
void keepInStep(GltfAsset& asset, size_t meshIndex, const std::vector<std::string>& names,
                bool appended) {
  GltfJson& mesh = asset.json["meshes"][meshIndex];
  const size_t count = names.size();
  if (mesh.contains("weights") && mesh["weights"].is_array())
    while (mesh["weights"].size() < count)
      mesh["weights"].push_back(0.0);
  if (appended || (mesh.contains("extras") && mesh["extras"].is_object() &&
                   mesh["extras"].contains("targetNames"))) {
    if (!mesh.contains("extras"))
      mesh["extras"] = GltfJson::object();
    if (mesh["extras"].is_object()) {
      GltfJson& list = mesh["extras"]["targetNames"];
      if (!list.is_array())
        list = GltfJson::array();
      for (size_t t = 0; t < count; ++t) {
        if (t < list.size())
          list[t] = names[t];
        else
          list.push_back(names[t]);
      }
    }
  }
  if (asset.json.contains("nodes"))
    for (GltfJson& node : asset.json["nodes"])
      if (node.contains("mesh") && node["mesh"] == meshIndex && node.contains("weights") &&
          node["weights"].is_array())
        while (node["weights"].size() < count)
          node["weights"].push_back(0.0);
}

} // namespace

void extendWeightAnimations(GltfAsset& asset, size_t meshIndex, size_t oldCount, size_t newCount,
                            AccessorWriter& writer);

TargetWriteTally writeTargets(GltfAsset& asset, const MeshGeometry& mesh,
                              const std::vector<NewTarget>& targets, bool allowSparse) {
  TargetWriteTally tally;
  const size_t meshIndex = mesh.summary.index;
  const std::vector<PrimitiveVertices> layout = primitiveVertices(asset, mesh);
  std::vector<std::string> names = mesh.summary.targetNames;
  const size_t oldCount = names.size();
  AccessorWriter writer(asset);
  for (const NewTarget& target : targets) {
    size_t slot = 0;
    while (slot < names.size() && names[slot] != target.name)
      ++slot;
    const bool append = slot == names.size();
    if (append)
      names.push_back(target.name);
    append ? ++tally.appended : ++tally.replaced;
    GltfJson& primitives = asset.json["meshes"][meshIndex]["primitives"];
    for (size_t p = 0; p < layout.size(); ++p) {
      const PrimitiveVertices& pv = layout[p];
      const std::vector<float> zeros(pv.triangles ? 0 : pv.count * 3, 0.0f);
      bool sparse = false;
      GltfJson entry = GltfJson::object();
      entry["POSITION"] =
          writer.addVec3(pv.triangles ? target.positions : zeros, pv.triangles ? pv.first : 0,
                         pv.count, target.name, true, allowSparse, sparse);
      sparse ? ++tally.sparseAccessors : ++tally.denseAccessors;
      if (!target.normals.empty()) {
        entry["NORMAL"] =
            writer.addVec3(pv.triangles ? target.normals : zeros, pv.triangles ? pv.first : 0,
                           pv.count, target.name, false, allowSparse, sparse);
        sparse ? ++tally.sparseAccessors : ++tally.denseAccessors;
      }
      GltfJson& list = primitives[p]["targets"];
      if (!list.is_array())
        list = GltfJson::array();
      if (append)
        list.push_back(std::move(entry));
      else
        list[slot] = std::move(entry); // TANGENT deltas of the old morph would not fit the new one
    }
  }
  keepInStep(asset, meshIndex, names, names.size() > oldCount);
  if (names.size() > oldCount)
    extendWeightAnimations(asset, meshIndex, oldCount, names.size(), writer);
  writer.finish();
  return tally;
}

} // namespace runner
