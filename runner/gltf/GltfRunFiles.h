// Run files for glTF: the Source mesh with its morph targets and the Destination mesh, from one
// file or two, welded into host objects ("elem:<target>-<Source>" elements beside the Source);
// the result written back into the Destination's file as morph targets. glTF has no vertex unique
// IDs, so these runs pair vertices by position.
#pragma once

#include "GltfAsset.h"
#include "GltfMesh.h"
#include "RepeatedNames.h"
#include "RunFiles.h"
#include "VertexWeld.h"
#include "VrmExpressions.h"

#include <map>
#include <memory>
#include <optional>

namespace runner {

struct GltfRunPaths {
  std::string first, second; // second empty: both meshes in the first file
  std::string output;
  std::optional<std::string> sourceName, destinationName;
  bool sparse = true; // sparse accessors where most deltas are zero
  bool dryRun = false;
  bool force = false;      // replace files beside the output that the output refers to
  bool expressions = true; // bind the Source avatar's expressions to the carried targets
  // One pair of an avatar's run (GltfAvatarRun.h): the meshes it chose (by index), and whether
  // this pair reads and checks every mesh of the files (the first) and stages the output (the
  // last).
  std::optional<size_t> sourceMesh, destinationMesh;
  bool firstPair = true, lastPair = true;
};

class GltfRunFiles : public RunFiles {
public:
  // assets: the files as an avatar's run loaded them, shared by its pairs (none: read() loads
  // them).
  explicit GltfRunFiles(GltfRunPaths paths,
                        std::shared_ptr<std::vector<GltfAsset>> assets = nullptr);
  std::vector<FileGroup> inputs(bool outputsExist) const override;
  std::vector<FileGroup> outputs() const override;
  void checkOutputs() const override;
  void read(sim::Document& document, const FileProgress& progress) override;
  void write(const sim::Document& document, const TransferOutcome& outcome, OutputSet& outputs,
             const FileProgress& progress) override;
  InputSummary summary() const override;
  bool hasUniqueIds() const override { return false; }

  // The deltas written for a new element (3 per Destination glTF vertex); for tests.
  std::vector<float> transferredDeltas(const sim::Object& newElement, size_t sourceTarget,
                                       const TransferOutcome& outcome) const;

private:
  struct Side {
    size_t asset = 0;
    MeshGeometry mesh;
    VertexWeld weld;
    sim::Object* object = nullptr;
  };
  struct Companion {
    ReferencedFile file;
    std::string copy; // where the output needs it
  };
  void planReferencedFiles();
  void chooseMeshes(const std::vector<MeshSummary>& sourceMeshes,
                    const std::vector<MeshSummary>& destinationMeshes, const MeshSummary*& source,
                    const MeshSummary*& destination) const;
  void writeCompanions(OutputSet& outputs) const;
  void fillDocument(sim::Document& document);

  GltfRunPaths paths_;
  std::shared_ptr<std::vector<GltfAsset>> assetsHeld_;
  std::vector<GltfAsset>& assets_; // the Source's file, then the Destination's if another
  Side source_, destination_;
  bool sameMesh_ = false;
  bool sourceNormals_ = false;                    // the Source's targets carry NORMAL deltas
  std::map<std::string, size_t> targetOfElement_; // host element name -> Source target
  std::vector<std::string> written_;              // targets written, in order
  std::vector<TargetPlacement> placed_;           // where each went
  std::vector<Companion> companions_;
  ExpressionOutcome expressions_;
  std::optional<std::string> placement_; // the Destination placed otherwise than the Source
};

// A glTF run from the command line's file arguments: one or two glTF files, -o, and
// --source/--destination naming nodes or meshes.
std::unique_ptr<RunFiles> openGltfRun(const FileArguments& arguments);
std::string gltfUsageText();

} // namespace runner
