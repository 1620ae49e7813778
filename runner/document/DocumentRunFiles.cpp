#include "DocumentRunFiles.h"

#include "DocumentParts.h"
#include "NativeFiles.h"

namespace runner {

DataLayout layoutNamed(const std::string& name) {
  if (name.empty() || name == "auto")
    return DataLayout::Automatic;
  if (name == "readable")
    return DataLayout::Readable;
  if (name == "base64")
    return DataLayout::Base64;
  if (name == "binary")
    return DataLayout::SideFile;
  throw RunError(kExitUsage, "--layout " + name + ": use auto, readable, base64 or binary");
}

void checkDocumentArguments(const FileArguments& arguments) {
  layoutNamed(arguments.layout);
}

std::unique_ptr<RunFiles> openDocumentRun(const FileArguments& arguments) {
  DocumentRunPaths paths;
  paths.input = arguments.inputs.front();
  paths.output =
      arguments.output.empty() ? defaultOutputName(paths.input, ".json") : arguments.output;
  paths.sourceName = arguments.source;
  paths.destinationName = arguments.destination;
  paths.layout = layoutNamed(arguments.layout);
  paths.dryRun = arguments.dryRun;
  return std::make_unique<DocumentRunFiles>(std::move(paths));
}

std::vector<FileGroup> DocumentRunFiles::inputs(bool outputsExist) const {
  FileGroup group{"the input document", {paths_.input}, true};
  // Its side file is looked for only when an output exists already, and never in a pipe.
  if (outputsExist && native::kindAt(paths_.input, true) == native::FileKind::Regular)
    group.paths = documentParts(paths_.input);
  return {group};
}

std::vector<FileGroup> DocumentRunFiles::outputs() const {
  if (paths_.dryRun)
    return {};
  FileGroup document{"the output document", {paths_.output}, true};
  // A new side file has a name of its own (the document's and its content's); the one the
  // output names now is removed once the new document is in place.
  const std::string replaced = referencedSideFile(paths_.output);
  if (!replaced.empty())
    document.paths.push_back(replaced);
  return {document};
}

void DocumentRunFiles::read(sim::Document& document, const FileProgress& progress) {
  readDocument(paths_.input, document, progress);
  selectByName(document, paths_.sourceName, paths_.destinationName);
}

void DocumentRunFiles::write(const sim::Document& document, const TransferOutcome&,
                             OutputSet& outputs, const FileProgress& progress) {
  // The document commits itself, its side file first (DocumentFile.h).
  outputs.addCommit([this, &document, progress] {
    writeDocument(paths_.output, document, paths_.layout, progress);
  });
}

InputSummary DocumentRunFiles::summary() const {
  InputSummary summary;
  summary.format = "document";
  summary.input = paths_.input;
  summary.output = paths_.output;
  summary.listsFiles = false;
  return summary;
}

} // namespace runner
