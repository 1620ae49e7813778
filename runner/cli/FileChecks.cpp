#include "FileChecks.h"

#include "DocumentFile.h"
#include "DocumentParts.h"
#include "NativeFiles.h"
#include "TransferRun.h"

namespace runner {

namespace {

bool anyExists(const std::vector<FileGroup>& groups) {
  for (const FileGroup& g : groups)
    for (const std::string& path : g.paths)
      if (native::kindAt(path, false) != native::FileKind::Missing)
        return true;
  return false;
}

// The input document's files. Its side file is looked for only when an output exists already
// (one that does not exist cannot be an input), and never in a pipe, which would be used up.
FileGroup inputFiles(const std::string& input, bool outputsExist) {
  FileGroup group{"the input document", {input}, true};
  if (outputsExist && native::kindAt(input, true) == native::FileKind::Regular)
    group.paths = documentParts(input);
  return group;
}

// The model files of a run on them, each an input of its own: those the command line names
// (known before they are read) and those the format found (an OBJ run's morph patterns).
std::vector<FileGroup> modelFiles(const CommandLine& line, const RunFiles& files) {
  std::vector<FileGroup> groups;
  for (const std::string* path :
       {&line.input, &line.secondInput, &line.sourceFile, &line.destinationFile})
    if (!path->empty())
      groups.push_back({"the input file", {*path}, false});
  for (const auto& [role, path] : files.summary().files)
    if (!path.empty())
      groups.push_back({"the " + role + " file", {path}, false});
  return groups;
}

} // namespace

std::vector<FileGroup> plannedOutputs(const CommandLine& line, const RunFiles* files) {
  std::vector<FileGroup> outputs;
  if (!line.dryRun && !files) {
    FileGroup document{"the output document", {line.output}, true};
    // A new side file has a name of its own (the document's and its content's); the one the
    // output names now is removed once the new document is in place.
    const std::string replaced = referencedSideFile(line.output);
    if (!replaced.empty())
      document.paths.push_back(replaced);
    outputs.push_back(document);
  } else if (!line.dryRun && !line.output.empty()) {
    // A model file written whole (glTF); the format itself checks it against its inputs.
    outputs.push_back({"the output file", {line.output}, false});
  }
  if (!line.dialogPage.empty())
    outputs.push_back({"the dialog page", {line.dialogPage}, false});
  if (!line.viewerPage.empty())
    outputs.push_back({"the viewer page", {line.viewerPage}, false});
  return outputs;
}

void addPictures(std::vector<FileGroup>& outputs, const std::vector<std::string>& paths) {
  for (const std::string& path : paths)
    outputs.push_back({"the picture", {path}, false});
}

void checkRunFiles(const CommandLine& line, const RunFiles* files,
                   const std::vector<FileGroup>& outputs) {
  if (!line.picturesFolder.empty()) {
    const native::FileKind kind = native::kindAt(line.picturesFolder, true);
    if (kind != native::FileKind::Missing && kind != native::FileKind::Folder)
      throw RunError(kExitUsage,
                     "the pictures folder \"" + line.picturesFolder + "\" is a file, not a folder");
  }
  FileCheckOptions options;
  options.replaceInput = line.force;
  try {
    checkOutputs(files ? modelFiles(line, *files)
                       : std::vector<FileGroup>{inputFiles(line.input, anyExists(outputs))},
                 outputs, options);
  } catch (const OutputRefusal& e) {
    throw RunError(kExitUsage, e.what());
  }
}

} // namespace runner
