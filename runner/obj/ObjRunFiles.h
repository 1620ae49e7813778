// A run on a set of Wavefront OBJ files, the way sculpting and wrapping tools exchange blend
// shapes: a base mesh (the Source), one file per morph with the base's vertices in the base's
// order, and an edited mesh (the Destination). Each transferred morph is written as a copy of
// the Destination's file with only its vertex coordinates replaced. OBJ has no vertex unique
// IDs: these runs pair vertices by position. The folder's parts: numbers (ObjNumbers.h), lines
// (ObjLines.h), the reader and writer on plain arrays (ObjReader.h, ObjWriter.h, ObjExport.h),
// the one adapter to the simulated host's objects (ObjObjects.h), the morph arguments
// (MorphSet.h). Relies on the standard library, the simulated host and AtomicFile.
#pragma once

#include "MorphSet.h"
#include "ObjMesh.h"
#include "RunFiles.h"

#include <map>
#include <string>
#include <vector>

namespace runner::obj {

struct ObjRunRequest {
  std::string source, destination;
  std::vector<std::string> morphs; // --morph arguments: [NAME=]FILE or a pattern
  std::string outputFolder;        // empty: nothing is to be written
  bool force = false;              // replace existing files in the output folder
};

class ObjRunFiles : public RunFiles {
public:
  // Expands the morph arguments. Throws RunError (usage, or bad input for a pattern matching
  // nothing).
  explicit ObjRunFiles(ObjRunRequest request);

  void read(sim::Document& document, RunObjects& objects) override;
  void checkOutputs() const override;
  void write(const sim::Document& document, const TransferOutcome& outcome) override;
  InputSummary summary() const override;
  bool hasUniqueIds() const override { return false; }

private:
  std::string outputPath(const MorphFile& morph) const;
  void noteNotRead(const Mesh& mesh);
  void writeOutputs(const TransferOutcome& outcome);

  ObjRunRequest request_;
  std::vector<MorphFile> morphs_;
  Mesh destination_; // kept with its text: every output is written from it
  std::map<std::string, size_t> morphOfElement_; // element name -> morphs_ index
  std::vector<std::pair<std::string, std::string>> written_;
  std::vector<std::string> notes_;
};

} // namespace runner::obj
