// Run files for document files: the simulated host's document read from one file, the Source and
// Destination taken from its object-list selection (or named on the command line), the result
// written to another document file in the layout asked for. Documents carry vertex unique IDs.
#pragma once

#include "DocumentFile.h"
#include "RunFiles.h"

#include <memory>
#include <optional>
#include <string>

namespace runner {

struct DocumentRunPaths {
  std::string input, output;
  std::optional<std::string> sourceName, destinationName; // objects to select
  DataLayout layout = DataLayout::Automatic;
  bool dryRun = false;
};

class DocumentRunFiles : public RunFiles {
public:
  explicit DocumentRunFiles(DocumentRunPaths paths) : paths_(std::move(paths)) {}
  std::vector<FileGroup> inputs(bool outputsExist) const override;
  std::vector<FileGroup> outputs() const override;
  void checkOutputs() const override {}
  void read(sim::Document& document, const FileProgress& progress) override;
  void write(const sim::Document& document, const TransferOutcome& outcome, OutputSet& outputs,
             const FileProgress& progress) override;
  InputSummary summary() const override;
  bool hasUniqueIds() const override { return true; }

private:
  DocumentRunPaths paths_;
};

// A document run from the command line's file arguments: one input, -o, --layout, and
// --source/--destination naming objects of the document.
void checkDocumentArguments(const FileArguments& arguments);
std::unique_ptr<RunFiles> openDocumentRun(const FileArguments& arguments);

// The layout named on the command line ("auto", "readable", "base64", "binary"); empty: auto.
// Throws RunError(kExitUsage).
DataLayout layoutNamed(const std::string& name);

} // namespace runner
