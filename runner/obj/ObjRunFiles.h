// A run on a set of Wavefront OBJ files, the way sculpting and wrapping tools exchange blend
// shapes: a base mesh (the Source), one file per morph with the base's vertices in the base's
// order, and an edited mesh (the Destination). Each transferred morph is written as a copy of
// the Destination's file with only its vertex coordinates replaced. OBJ has no vertex unique
// IDs: these runs pair vertices by position. The folder's parts: numbers (ObjNumbers.h), lines
// (ObjLines.h), the reader and writer on plain arrays (ObjReader.h, ObjWriter.h, ObjExport.h),
// the one adapter to the simulated host's objects (ObjObjects.h), the morph arguments
// (MorphSet.h). Relies on the standard library, the simulated host and the files layer.
#pragma once

#include "MorphSet.h"
#include "ObjMesh.h"
#include "RunFiles.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace runner::obj {

struct ObjRunRequest {
  std::string source, destination;
  std::vector<std::string> morphs; // --morph arguments: [NAME=]FILE or a pattern
  std::string outputFolder;
  bool dryRun = false; // nothing is to be written
  bool force = false;  // replace existing files in the output folder
};

class ObjRunFiles : public RunFiles {
public:
  // Expands the morph arguments. Throws RunError (usage, or bad input for a pattern matching
  // nothing).
  explicit ObjRunFiles(ObjRunRequest request);

  std::vector<FileGroup> inputs(bool outputsExist) const override;
  std::vector<FileGroup> outputs() const override;
  void checkOutputs() const override;
  void read(sim::Document& document, const FileProgress& progress) override;
  void write(const sim::Document& document, const TransferOutcome& outcome, OutputSet& outputs,
             const FileProgress& progress) override;
  InputSummary summary() const override;
  bool hasUniqueIds() const override { return false; }

private:
  std::string outputPath(const MorphFile& morph) const;
  void noteNotRead(const Mesh& mesh);

  ObjRunRequest request_;
  std::vector<MorphFile> morphs_;
  Mesh destination_; // kept with its text: every output is written from it
  std::map<std::string, size_t> morphOfElement_; // element name -> morphs_ index
  std::vector<std::pair<std::string, std::string>> written_;
  std::vector<std::string> notes_;
};

// Whether a file name has the extension of an OBJ file (any letter case).
bool isObjPath(const std::string& path);

// An OBJ run from the command line's file arguments: --source BASE.obj, --morph ...,
// --destination EDITED.obj and --output-dir; no other input. The check touches no file; opening
// expands the morph patterns.
void checkObjArguments(const FileArguments& arguments);
std::unique_ptr<RunFiles> openObjRun(const FileArguments& arguments);
std::string objUsageText();

} // namespace runner::obj
