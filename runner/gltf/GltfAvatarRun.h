// An avatar's run: an avatar has morph targets on several meshes (face, brows, teeth, body). With
// two glTF files and neither --source nor --destination, every Source mesh with morph targets
// that has a namesake in the Destination's file (by node name, then by mesh name) is carried onto
// it: one pair after another, one command of the plug-in each, into one output written once. A
// Source mesh with targets and no namesake (or more than one) is listed and left alone, never
// guessed. A Source file with one mesh with targets runs as a plain glTF run.
#pragma once

#include "GltfRunFiles.h"

#include <memory>
#include <string>
#include <vector>

namespace runner {

struct MeshPairing {
  std::vector<std::pair<size_t, size_t>> pairs; // Source mesh, Destination mesh (indices)
  std::vector<std::string> unpaired;            // why each left-alone Source mesh was
};

// The pairs of an avatar's run, in the Source's mesh order.
MeshPairing pairMeshes(const std::vector<MeshSummary>& source,
                       const std::vector<MeshSummary>& destination);

class GltfAvatarRunFiles : public RunFiles {
public:
  explicit GltfAvatarRunFiles(GltfRunPaths paths);
  std::vector<FileGroup> inputs(bool outputsExist) const override;
  std::vector<FileGroup> outputs() const override;
  void checkOutputs() const override;
  void read(sim::Document& document, const FileProgress& progress) override;
  size_t pairCount() const override { return pairs_.size(); }
  void readPair(size_t pair, sim::Document& document) override;
  void write(const sim::Document& document, const TransferOutcome& outcome, OutputSet& outputs,
             const FileProgress& progress) override;
  InputSummary summary() const override;
  bool hasUniqueIds() const override { return false; }

private:
  GltfRunPaths paths_;
  std::vector<std::unique_ptr<GltfRunFiles>> pairs_;
  std::vector<std::string> unpaired_;
  size_t written_ = 0;
};

} // namespace runner
