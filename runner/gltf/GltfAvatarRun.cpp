#include "GltfAvatarRun.h"

#include "Utf8.h"

#include <algorithm>
#include <map>

namespace runner {

namespace {

std::string meshLabel(const MeshSummary& mesh) {
  return quoted(mesh.name) + " (meshes[" + std::to_string(mesh.index) + "])";
}

bool sharesNodeName(const MeshSummary& a, const MeshSummary& b) {
  for (const std::string& name : a.nodeNames)
    if (!name.empty() && std::count(b.nodeNames.begin(), b.nodeNames.end(), name))
      return true;
  return false;
}

// The Destination meshes bearing the Source mesh's node name, else its mesh name.
std::vector<const MeshSummary*> namesakes(const MeshSummary& source,
                                          const std::vector<MeshSummary>& destination) {
  std::vector<const MeshSummary*> found;
  for (const MeshSummary& d : destination)
    if (sharesNodeName(source, d))
      found.push_back(&d);
  if (found.empty() && !source.meshName.empty())
    for (const MeshSummary& d : destination)
      if (d.meshName == source.meshName)
        found.push_back(&d);
  return found;
}

// Two Source meshes onto one Destination mesh would write one mesh's targets twice over.
void dropSharedDestinations(const std::vector<MeshSummary>& source, MeshPairing& pairing) {
  std::map<size_t, int> takers;
  for (const auto& pair : pairing.pairs)
    ++takers[pair.second];
  std::vector<std::pair<size_t, size_t>> kept;
  for (const auto& pair : pairing.pairs) {
    if (takers[pair.second] == 1) {
      kept.push_back(pair);
      continue;
    }
    for (const MeshSummary& s : source)
      if (s.index == pair.first)
        pairing.unpaired.push_back("Source mesh " + meshLabel(s) +
                                   " has morph targets and shares its namesake in the Destination "
                                   "file with another Source mesh: left alone");
  }
  pairing.pairs = kept;
}

// A later pair's expressions joined to those already touched: one entry per expression.
void mergeExpressions(const InputSummary& pair, InputSummary& into) {
  into.hasExpressions = into.hasExpressions || pair.hasExpressions;
  if (into.expressionsNote.empty())
    into.expressionsNote = pair.expressionsNote;
  for (const ExpressionChange& change : pair.expressions) {
    auto same =
        std::find_if(into.expressions.begin(), into.expressions.end(),
                     [&change](const ExpressionChange& e) { return e.name == change.name; });
    if (same == into.expressions.end()) {
      into.expressions.push_back(change);
      continue;
    }
    same->created = same->created || change.created;
    same->binds.insert(same->binds.end(), change.binds.begin(), change.binds.end());
  }
}

} // namespace

MeshPairing pairMeshes(const std::vector<MeshSummary>& source,
                       const std::vector<MeshSummary>& destination) {
  MeshPairing pairing;
  for (const MeshSummary& s : source) {
    if (s.targetNames.empty())
      continue;
    const std::vector<const MeshSummary*> found = namesakes(s, destination);
    if (found.size() == 1)
      pairing.pairs.emplace_back(s.index, found.front()->index);
    else
      pairing.unpaired.push_back(
          "Source mesh " + meshLabel(s) + " has morph targets and " +
          (found.empty() ? std::string("no namesake")
                         : std::to_string(found.size()) + " namesakes") +
          " in the Destination file: left alone (--source and --destination name a pair)");
  }
  dropSharedDestinations(source, pairing);
  return pairing;
}

GltfAvatarRunFiles::GltfAvatarRunFiles(GltfRunPaths paths) : paths_(std::move(paths)) {
  pairs_.push_back(std::make_unique<GltfRunFiles>(paths_));
}

std::vector<FileGroup> GltfAvatarRunFiles::inputs(bool outputsExist) const {
  return pairs_.front()->inputs(outputsExist);
}

std::vector<FileGroup> GltfAvatarRunFiles::outputs() const {
  return pairs_.back()->outputs();
}

void GltfAvatarRunFiles::checkOutputs() const {
  pairs_.front()->checkOutputs();
}

void GltfAvatarRunFiles::read(sim::Document& document, const FileProgress& progress) {
  auto assets = std::make_shared<std::vector<GltfAsset>>();
  assets->push_back(loadGltf(paths_.first));
  assets->push_back(loadGltf(paths_.second));
  const std::vector<MeshSummary> source = listMeshes(assets->front());
  const size_t morphed = static_cast<size_t>(std::count_if(
      source.begin(), source.end(), [](const MeshSummary& m) { return !m.targetNames.empty(); }));
  if (morphed < 2) { // one pair, by the plain run's rules
    pairs_.front() = std::make_unique<GltfRunFiles>(paths_, assets);
    pairs_.front()->read(document, progress);
    return;
  }
  const MeshPairing pairing = pairMeshes(source, listMeshes(assets->back()));
  if (pairing.pairs.empty())
    throw RunError(kExitBadInput,
                   paths_.first + ": " + std::to_string(morphed) +
                       " meshes have morph targets and none has a single namesake in " +
                       paths_.second +
                       ", so the pair must be named with --source and "
                       "--destination");
  unpaired_ = pairing.unpaired;
  pairs_.clear();
  for (size_t k = 0; k < pairing.pairs.size(); ++k) {
    GltfRunPaths paths = paths_;
    paths.sourceMesh = pairing.pairs[k].first;
    paths.destinationMesh = pairing.pairs[k].second;
    paths.firstPair = k == 0;
    paths.lastPair = k + 1 == pairing.pairs.size();
    pairs_.push_back(std::make_unique<GltfRunFiles>(paths, assets));
  }
  pairs_.front()->read(document, progress);
}

InputSummary GltfAvatarRunFiles::summary() const {
  InputSummary s = pairs_.front()->summary();
  for (size_t k = 1; k < pairs_.size(); ++k) {
    const InputSummary pair = pairs_[k]->summary();
    for (const std::string& note : pair.notes)
      if (std::find(s.notes.begin(), s.notes.end(), note) == s.notes.end())
        s.notes.push_back(note);
    s.outputs.insert(s.outputs.end(), pair.outputs.begin(), pair.outputs.end());
    s.warnings.insert(s.warnings.end(), pair.warnings.begin(), pair.warnings.end());
    mergeExpressions(pair, s);
  }
  s.notes.insert(s.notes.end(), unpaired_.begin(), unpaired_.end());
  s.unpaired = unpaired_;
  return s;
}

void GltfAvatarRunFiles::readPair(size_t pair, sim::Document& document) {
  pairs_.at(pair)->read(document, FileProgress());
}

void GltfAvatarRunFiles::write(const sim::Document& document, const TransferOutcome& outcome,
                               OutputSet& outputs, const FileProgress& progress) {
  pairs_.at(written_++)->write(document, outcome, outputs, progress);
}

} // namespace runner
