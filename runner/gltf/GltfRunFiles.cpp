#include "GltfRunFiles.h"
#include "GltfAvatarRun.h"
#include "GltfJsonAccess.h"
#include "GltfMeshChoice.h"
#include "HostMesh.h"
#include "InputFile.h"
#include "NativeFiles.h"
#include "NodePlacement.h"
#include "NormalDeltas.h"
#include "References.h"
#include "RepeatedNames.h"
#include "TargetWriter.h"
#include "Utf8.h"
#include "transfer/ElementNaming.h"
#include "transfer/SameBits.h"

#include <cstring>
#include <filesystem>

namespace runner {

namespace {

namespace fs = std::filesystem;

// Host names only steer the run (the file keeps its own names), so long ones are cut to leave
// an element name room within the host's name length.
const size_t kObjectNameBytes = 160;

// An element's morph name ends at its first "-": a target's own dashes become underscores.
std::string morphNameOf(const std::string& target, size_t bytes) {
  std::string name = target.empty() ? std::string("target") : target;
  for (char& c : name)
    if (c == '-')
      c = '_';
  return cutUtf8(name, bytes);
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error))
    return fs::equivalent(a, b, error);
  return fs::absolute(a, error).lexically_normal() == fs::absolute(b, error).lexically_normal();
}

// The output read back as any glTF input is read (the buffer files it refers to from where they
// are staged), its Destination mesh holding every target written.
OutputSet::ReadBack readBack(const std::string& output, const OutputSet& outputs, size_t mesh,
                             size_t targets) {
  return [output, &outputs, mesh, targets](const std::string& staged) {
    const GltfAsset back =
        loadGltfBytes(output, readWholeFile(staged),
                      [&outputs](const std::string& path) { return outputs.stagedPath(path); });
    const std::vector<MeshSummary> meshes = readEveryMesh(back);
    if (mesh >= meshes.size() || meshes[mesh].targetNames.size() != targets)
      throw FileError(output, "meshes[" + std::to_string(mesh) + "]",
                      "does not hold the " + std::to_string(targets) + " morph targets written");
  };
}

} // namespace

GltfRunFiles::GltfRunFiles(GltfRunPaths paths, std::shared_ptr<std::vector<GltfAsset>> assets)
    : paths_(std::move(paths)),
      assetsHeld_(assets ? std::move(assets) : std::make_shared<std::vector<GltfAsset>>()),
      assets_(*assetsHeld_) {}

std::unique_ptr<RunFiles> openGltfRun(const FileArguments& arguments) {
  GltfRunPaths paths;
  paths.first = arguments.inputs.front();
  paths.second = arguments.inputs.size() > 1 ? arguments.inputs[1] : std::string();
  paths.output = arguments.output;
  if (paths.output.empty()) {
    const std::string& named = paths.second.empty() ? paths.first : paths.second;
    paths.output = defaultOutputName(named, named.substr(named.rfind('.')));
  }
  paths.sourceName = arguments.source;
  paths.destinationName = arguments.destination;
  paths.dryRun = arguments.dryRun;
  paths.force = arguments.force;
  paths.expressions = arguments.expressions;
  if (!paths.second.empty() && !paths.sourceName && !paths.destinationName)
    return std::make_unique<GltfAvatarRunFiles>(std::move(paths));
  return std::make_unique<GltfRunFiles>(std::move(paths));
}

std::string gltfUsageText() {
  return "\n"
         "glTF files: the Source mesh's morph targets are carried onto the Destination mesh and\n"
         "written into a copy of the Destination's file (-o, same kind: .glb/.vrm or .gltf); the\n"
         "rest of that file is kept. Vertices are paired by position (glTF has no unique IDs).\n"
         "A VRM avatar's expressions that bind a carried morph are bound to it in the output\n"
         "too (made there when the Destination lacks them); --no-expressions leaves the\n"
         "Destination's expressions as they are.\n"
         "Two files and several Source meshes with morph targets, none named: each is carried\n"
         "onto its namesake in the second file (by node, then mesh name), one pair at a time,\n"
         "into one output; meshes without a namesake are listed and left alone.\n"
         "Written into another folder than the Destination's, the output gets copies of the\n"
         "buffer and image files it refers to beside it; --force replaces files there that\n"
         "hold something else.\n";
}

std::vector<FileGroup> GltfRunFiles::inputs(bool) const {
  std::vector<FileGroup> groups;
  for (const std::string* path : {&paths_.first, &paths_.second})
    if (!path->empty())
      groups.push_back({"the input file", {*path}, false});
  return groups;
}

std::vector<FileGroup> GltfRunFiles::outputs() const {
  if (paths_.dryRun)
    return {};
  std::vector<FileGroup> groups{{"the output file", {paths_.output}, false}};
  for (const Companion& companion : companions_)
    groups.push_back({"the copy of " + companion.file.jsonPath, {companion.copy}, false});
  return groups;
}

// The copies the output needs beside it; an existing file there is replaced only when it holds
// the same bytes already or with --force.
void GltfRunFiles::writeCompanions(OutputSet& outputs) const {
  const GltfAsset& asset = assets_[destination_.asset];
  for (const Companion& companion : companions_) {
    const std::vector<std::uint8_t> bytes =
        companion.file.buffer >= 0 ? asset.buffers[static_cast<size_t>(companion.file.buffer)]
                                   : readWholeFile(companion.file.path);
    std::string text(bytes.begin(), bytes.end());
    if (!paths_.force && native::kindAt(companion.copy, true) != native::FileKind::Missing) {
      const std::vector<std::uint8_t> there = readWholeFile(companion.copy);
      if (there != bytes)
        throw RunError(kExitUsage, companion.copy + " exists and is not the file \"" +
                                       companion.file.uri +
                                       "\" that the output refers to; give "
                                       "--force to replace it (nothing was written)");
    }
    outputs.makeFolder(fs::path(companion.copy).parent_path().string());
    outputs.add(companion.copy, text);
  }
}

void GltfRunFiles::checkOutputs() const {
  const std::string& destinationFile = paths_.second.empty() ? paths_.first : paths_.second;
  for (const std::string& input : {paths_.first, paths_.second})
    if (!input.empty() && sameFile(input, paths_.output))
      throw RunError(kExitUsage, "the output \"" + paths_.output + "\" is the input \"" + input +
                                     "\": write the result to another file");
  if (isBinaryGltfPath(destinationFile) != isBinaryGltfPath(paths_.output) ||
      !isGltfPath(paths_.output))
    throw RunError(kExitUsage, "the output \"" + paths_.output + "\" must be a " +
                                   (isBinaryGltfPath(destinationFile) ? ".glb or .vrm" : ".gltf") +
                                   " file like the Destination's file \"" + destinationFile + "\"");
}

// No file the inputs refer to may be the output. Written into another folder, the output needs
// the Destination's files beside it, as copies (the URIs stay as they are).
void GltfRunFiles::planReferencedFiles() {
  for (const GltfAsset& asset : assets_)
    for (const ReferencedFile& file : referencedFiles(asset))
      if (sameFile(file.path, paths_.output))
        throw RunError(kExitUsage, "the output \"" + paths_.output + "\" is a file that \"" +
                                       asset.path + "\" refers to: write the result elsewhere");
  const GltfAsset& destination = assets_[destination_.asset];
  const fs::path from = fs::path(destination.path).parent_path();
  const fs::path to = fs::path(paths_.output).parent_path();
  std::error_code error;
  if (fs::equivalent(from.empty() ? "." : from, to.empty() ? "." : to, error))
    return;
  for (const ReferencedFile& file : referencedFiles(destination)) {
    Companion companion{file, (to / fs::u8path(percentDecoded(file.uri))).string()};
    companions_.push_back(companion);
  }
}

// The meshes the run carries: those an avatar's run chose, else by the names given and the rules
// of GltfMeshChoice.h.
void GltfRunFiles::chooseMeshes(const std::vector<MeshSummary>& sourceMeshes,
                                const std::vector<MeshSummary>& destinationMeshes,
                                const MeshSummary*& source, const MeshSummary*& destination) const {
  if (paths_.sourceMesh && paths_.destinationMesh) {
    for (const MeshSummary& m : sourceMeshes)
      source = m.index == *paths_.sourceMesh ? &m : source;
    for (const MeshSummary& m : destinationMeshes)
      destination = m.index == *paths_.destinationMesh ? &m : destination;
    if (source && destination)
      return;
  }
  source = &chooseSourceMesh(sourceMeshes, paths_.sourceName, assets_[0].path);
  destination = &chooseDestinationMesh(destinationMeshes, paths_.destinationName,
                                       assets_.back().path, *source, assets_.size() == 1);
}

void GltfRunFiles::read(sim::Document& document, const FileProgress&) {
  if (assets_.empty()) {
    assets_.push_back(loadGltf(paths_.first));
    if (!paths_.second.empty())
      assets_.push_back(loadGltf(paths_.second));
  }
  planReferencedFiles();
  const std::vector<MeshSummary> sourceMeshes = listMeshes(assets_.front());
  const std::vector<MeshSummary> destinationMeshes =
      assets_.size() > 1 ? listMeshes(assets_.back()) : sourceMeshes;
  // A fault anywhere in a file refuses it, whichever meshes the run uses and before a name that
  // does not fit is reported.
  std::optional<RunError> unchosen;
  const MeshSummary *source = nullptr, *destination = nullptr;
  try {
    chooseMeshes(sourceMeshes, destinationMeshes, source, destination);
  } catch (const RunError& e) {
    unchosen = e;
  }
  destination_.asset = assets_.size() - 1;
  for (size_t a = 0; a < assets_.size(); ++a)
    for (const MeshSummary& mesh : a == 0 ? sourceMeshes : destinationMeshes) {
      const bool isSource = source && a == 0 && mesh.index == source->index;
      const bool isDestination =
          destination && a == destination_.asset && mesh.index == destination->index;
      if (!paths_.firstPair && !isSource && !isDestination)
        continue; // the first pair has read and checked every mesh
      MeshGeometry geometry = readMesh(assets_[a], mesh, isSource || isDestination);
      if (isSource && isDestination)
        destination_.mesh = geometry;
      if (isSource)
        source_.mesh = std::move(geometry);
      else if (isDestination)
        destination_.mesh = std::move(geometry);
    }
  if (unchosen)
    throw *unchosen;
  sameMesh_ = assets_.size() == 1 && source->index == destination->index;
  placement_ = placementNote(assets_.front(), source->index, assets_.back(), destination->index);
  source_.weld = weldVertices(source_.mesh);
  // Only whether the Source's targets have NORMAL deltas matters from here on.
  for (MorphTarget& t : source_.mesh.targets) {
    sourceNormals_ = sourceNormals_ || !t.normals.empty();
    std::vector<float>().swap(t.normals);
  }
  destination_.weld = sameMesh_ ? source_.weld : weldVertices(destination_.mesh);
  fillDocument(document);
  // The Source's own file is never written: once the last pair has read its meshes, its buffers
  // only take memory.
  if (assets_.size() > 1 && paths_.lastPair)
    for (std::vector<std::uint8_t>& buffer : assets_.front().buffers)
      std::vector<std::uint8_t>().swap(buffer);
}

void GltfRunFiles::fillDocument(sim::Document& document) {
  source_.object = document.addObject(cutUtf8(source_.mesh.summary.name, kObjectNameBytes));
  fillObject(*source_.object, polygonsOf(source_.mesh, source_.weld));
  const std::string base = naming::baseName(source_.object->name());
  const size_t morphBytes = sim::kNameBytes - base.size() - 16; // "elem:", "-", "_<n>"
  for (size_t t = 0; t < source_.mesh.targets.size(); ++t) {
    const std::string morph = morphNameOf(source_.mesh.targets[t].name, morphBytes);
    std::string name = naming::elementName(morph, base);
    for (int n = 2; targetOfElement_.count(name); ++n)
      name = naming::elementName(morph + "_" + std::to_string(n), base);
    sim::Object* element = document.addObject(name);
    fillElement(*element, *source_.object,
                morphedPositions(source_.mesh, source_.weld, &source_.mesh.targets[t]));
    element->depth = 1;
    element->visible = 0;
    targetOfElement_[name] = t;
  }
  if (sameMesh_) {
    destination_.object = source_.object;
  } else {
    destination_.object =
        document.addObject(cutUtf8(destination_.mesh.summary.name, kObjectNameBytes));
    // The Destination's own IDs never name a Source vertex or face by chance.
    continueUniqueIds(*destination_.object, *source_.object);
    fillObject(*destination_.object, polygonsOf(destination_.mesh, destination_.weld));
    shareFaceIds(*source_.object, *destination_.object);
  }
  for (sim::Object* object : document.objects())
    object->selected = 0;
  source_.object->selected = 1;
  destination_.object->selected = 1;
}

std::vector<float> GltfRunFiles::transferredDeltas(const sim::Object& newElement, size_t target,
                                                   const TransferOutcome& outcome) const {
  const size_t count = destination_.mesh.vertexCount();
  std::vector<float> deltas(count * 3, 0.0f);
  // Offsets travel through the host as positions (base + delta), which rounds a delta far
  // smaller than its position. Where a vertex took exactly its Source vertex's offset, that
  // Source vertex's own delta is written.
  const bool exactOffsets = !outcome.settings.mirrorMorph && outcome.rate == 1.0f;
  const Correspondence& pairs = outcome.correspondence;
  const MorphTarget& morph = source_.mesh.targets[target];
  for (size_t v = 0; v < count; ++v) {
    const int h = destination_.weld.hostOf[v];
    const MQPoint p = positionOf(newElement, h), d = positionOf(*destination_.object, h);
    float* out = &deltas[v * 3];
    out[0] = p.x - d.x, out[1] = p.y - d.y, out[2] = p.z - d.z;
    const auto hs = static_cast<size_t>(h);
    if (!exactOffsets || hs >= pairs.sourceVertex.size() || pairs.fate[hs] != VertexFate::Matched ||
        pairs.sourceVertex[hs] < 0)
      continue;
    const size_t s = source_.weld.firstOf[static_cast<size_t>(pairs.sourceVertex[hs])];
    const float* base = &source_.mesh.positions[s * 3];
    const float* delta = &morph.positions[s * 3];
    const float carried[3] = {(base[0] + delta[0]) - base[0], (base[1] + delta[1]) - base[1],
                              (base[2] + delta[2]) - base[2]};
    if (transfer::sameBits(out, carried, 3))
      std::memcpy(out, delta, 12);
  }
  return deltas;
}

void GltfRunFiles::write(const sim::Document&, const TransferOutcome& outcome, OutputSet& outputs,
                         const FileProgress&) {
  std::optional<NormalDeltas> normalDeltas;
  if (sourceNormals_)
    normalDeltas.emplace(destination_.mesh, destination_.weld);
  GltfAsset& asset = assets_[destination_.asset];
  TargetWriter writer(asset, destination_.mesh, paths_.sparse);
  writer.reserve(outcome.elements.size(), normalDeltas.has_value());
  std::vector<CarriedTarget> carried;
  for (const ElementOutcome& e : outcome.elements) {
    const auto it = targetOfElement_.find(e.picked);
    if (it == targetOfElement_.end() || !e.newElement ||
        e.newElement->vertexCount() != destination_.weld.hostCount())
      continue;
    NewTarget target;
    target.name = source_.mesh.targets[it->second].name;
    target.occurrence = occurrenceOf(source_.mesh.summary.targetNames, it->second);
    target.positions = transferredDeltas(*e.newElement, it->second, outcome);
    if (normalDeltas)
      target.normals = normalDeltas->deltas(target.positions);
    const size_t slot = writer.write(target);
    carried.push_back(CarriedTarget{it->second, slot});
    placed_.push_back(
        TargetPlacement{it->second, slot, slot >= destination_.mesh.summary.targetNames.size()});
    written_.push_back(target.name);
  }
  const size_t targets = destination_.mesh.summary.targetNames.size() + writer.finish().appended;
  if (paths_.expressions)
    expressions_ = carryExpressions(assets_.front(), source_.mesh.summary.index, asset,
                                    destination_.mesh.summary.index, carried);
  // The deltas were read for this write alone.
  for (MorphTarget& t : source_.mesh.targets)
    std::vector<float>().swap(t.positions);
  if (!paths_.lastPair)
    return; // a later pair of the avatar's run writes the file
  writeCompanions(outputs);
  writeGltf(asset,
            outputs.open(paths_.output, readBack(paths_.output, outputs,
                                                 destination_.mesh.summary.index, targets)),
            paths_.output);
  // Staged: what the output was made from only takes memory while it is read back.
  for (GltfAsset& held : assets_)
    for (std::vector<std::uint8_t>& buffer : held.buffers)
      std::vector<std::uint8_t>().swap(buffer);
}

InputSummary GltfRunFiles::summary() const {
  InputSummary s;
  s.format = "glTF";
  s.input = paths_.first;
  s.output = paths_.output;
  for (const Side* side : {&source_, &destination_}) {
    const char* role = side == &source_ ? "Source" : "Destination";
    const std::string file = assets_.empty() ? std::string() : assets_[side->asset].path;
    const MeshGeometry& m = side->mesh;
    s.files.emplace_back(role, file);
    std::string targets;
    for (const std::string& name : m.summary.targetNames)
      targets += (targets.empty() ? ": " : ", ") + name;
    s.notes.push_back(std::string(role) + " mesh \"" + m.summary.name + "\" (meshes[" +
                      std::to_string(m.summary.index) + "]): " + std::to_string(m.vertexCount()) +
                      " glTF vertices welded to " + std::to_string(side->weld.firstOf.size()) +
                      ", " + std::to_string(m.triangleMaterials.size()) + " triangles, " +
                      std::to_string(m.targets.size()) + " morph targets" + targets);
    for (const std::string& skipped : m.skipped)
      s.notes.push_back(file + ": " + skipped + " skipped: not triangles");
  }
  for (const std::string& name : written_)
    s.outputs.emplace_back(name, paths_.output);
  s.warnings = repeatedNameWarnings(source_.mesh.summary, destination_.mesh.summary, placed_);
  s.hasExpressions = expressions_.avatar;
  s.expressions = expressions_.changes;
  s.expressionsNote = expressions_.note;
  if (placement_)
    s.notes.push_back(*placement_);
  s.notes.push_back("vertex weights: glTF has no scalar vertex weight, so none are carried");
  return s;
}

} // namespace runner
