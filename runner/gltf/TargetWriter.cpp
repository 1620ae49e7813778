#include "TargetWriter.h"

#include "GltfAccessor.h"
#include "GltfJsonAccess.h"

namespace runner {

namespace {

bool hasTargetNames(const GltfJson& owner) {
  return owner.contains("extras") && owner["extras"].is_object() &&
         owner["extras"].contains("targetNames");
}

// An extras.targetNames list (made when asked) holding the names.
void writeTargetNames(GltfJson& owner, const std::vector<std::string>& names) {
  if (!owner.contains("extras"))
    owner["extras"] = GltfJson::object();
  if (!owner["extras"].is_object())
    return;
  GltfJson& list = owner["extras"]["targetNames"];
  if (!list.is_array())
    list = GltfJson::array();
  for (size_t t = 0; t < names.size(); ++t) {
    if (t < list.size())
      list[t] = names[t];
    else
      list.push_back(names[t]);
  }
}

// Mesh weights, node weights and extras.targetNames (the mesh's, and the primitives' that have
// their own) grown to `count` targets.
void keepInStep(GltfAsset& asset, size_t meshIndex, const std::vector<std::string>& names,
                bool appended) {
  GltfJson& mesh = asset.json["meshes"][meshIndex];
  const size_t count = names.size();
  if (mesh.contains("weights") && mesh["weights"].is_array())
    while (mesh["weights"].size() < count)
      mesh["weights"].push_back(0.0);
  if (appended || hasTargetNames(mesh))
    writeTargetNames(mesh, names);
  for (GltfJson& primitive : mesh["primitives"])
    if (hasTargetNames(primitive))
      writeTargetNames(primitive, names);
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

TargetWriter::TargetWriter(GltfAsset& asset, const MeshGeometry& mesh, bool allowSparse)
    : asset_(asset), mesh_(mesh), allowSparse_(allowSparse), writer_(asset),
      names_(mesh.summary.targetNames) {
  // Every primitive in the mesh's order: triangle primitives as read, skipped ones (points,
  // lines) by their POSITION count, with zero deltas.
  const GltfJson& primitives = asset.json["meshes"][mesh.summary.index]["primitives"];
  layout_.resize(primitives.size());
  for (size_t p = 0; p < primitives.size(); ++p)
    layout_[p].count =
        accessorCount(asset, primitives[p]["attributes"]["POSITION"].get<size_t>(), "POSITION");
  for (const PrimitiveSpan& span : mesh.spans)
    layout_[span.primitive] = PrimitiveVertices{true, span.firstVertex, span.vertexCount};
}

void TargetWriter::reserve(size_t targets, bool normals) {
  // Each accessor's view starts 4-byte aligned: at most 3 bytes of padding before each.
  const size_t perAttribute = mesh_.vertexCount() * 12 + layout_.size() * 3;
  writer_.reserve(targets * perAttribute * (normals ? 2 : 1));
}

size_t TargetWriter::write(const NewTarget& target) {
  // The mesh's own target of this name that stands in the same place among its namesakes.
  const std::vector<std::string>& own = mesh_.summary.targetNames;
  size_t slot = 0;
  for (size_t seen = 0; slot < own.size(); ++slot)
    if (own[slot] == target.name && seen++ == target.occurrence)
      break;
  const bool append = slot == own.size();
  if (append) {
    slot = names_.size();
    names_.push_back(target.name);
  }
  append ? ++tally_.appended : ++tally_.replaced;
  GltfJson& primitives = asset_.json["meshes"][mesh_.summary.index]["primitives"];
  for (size_t p = 0; p < layout_.size(); ++p) {
    const PrimitiveVertices& pv = layout_[p];
    const std::vector<float> zeros(pv.triangles ? 0 : pv.count * 3, 0.0f);
    const size_t first = pv.triangles ? pv.first : 0;
    bool sparse = false;
    GltfJson entry = GltfJson::object();
    entry["POSITION"] = writer_.addVec3(pv.triangles ? target.positions : zeros, first, pv.count,
                                        target.name, true, allowSparse_, sparse);
    sparse ? ++tally_.sparseAccessors : ++tally_.denseAccessors;
    if (!target.normals.empty()) {
      entry["NORMAL"] = writer_.addVec3(pv.triangles ? target.normals : zeros, first, pv.count,
                                        target.name, false, allowSparse_, sparse);
      sparse ? ++tally_.sparseAccessors : ++tally_.denseAccessors;
    }
    GltfJson& list = primitives[p]["targets"];
    if (!list.is_array())
      list = GltfJson::array();
    if (append)
      list.push_back(std::move(entry));
    else
      list[slot] = std::move(entry); // TANGENT deltas of the old morph would not fit the new one
  }
  return slot;
}

TargetWriteTally TargetWriter::finish() {
  const size_t oldCount = mesh_.summary.targetNames.size();
  keepInStep(asset_, mesh_.summary.index, names_, names_.size() > oldCount);
  if (names_.size() > oldCount)
    extendWeightAnimations(asset_, mesh_.summary.index, oldCount, names_.size(), writer_);
  writer_.finish();
  return tally_;
}

TargetWriteTally writeTargets(GltfAsset& asset, const MeshGeometry& mesh,
                              const std::vector<NewTarget>& targets, bool allowSparse) {
  TargetWriter writer(asset, mesh, allowSparse);
  for (const NewTarget& target : targets)
    writer.write(target);
  return writer.finish();
}

} // namespace runner
