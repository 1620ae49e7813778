#include "FileChecks.h"

#include "NativeFiles.h"

namespace runner {

namespace {

bool anyExists(const std::vector<FileGroup>& groups) {
  for (const FileGroup& g : groups)
    for (const std::string& path : g.paths)
      if (native::kindAt(path, false) != native::FileKind::Missing)
        return true;
  return false;
}

} // namespace

std::vector<FileGroup> plannedOutputs(const CommandLine& line, const RunFiles& files) {
  std::vector<FileGroup> outputs = files.outputs();
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

void checkRunFiles(const CommandLine& line, const RunFiles& files,
                   const std::vector<FileGroup>& outputs) {
  if (!line.picturesFolder.empty()) {
    const native::FileKind kind = native::kindAt(line.picturesFolder, true);
    if (kind != native::FileKind::Missing && kind != native::FileKind::Folder)
      throw RunError(kExitUsage,
                     "the pictures folder \"" + line.picturesFolder + "\" is a file, not a folder");
  }
  FileCheckOptions options;
  options.replaceInput = line.files.force;
  try {
    checkOutputs(files.inputs(anyExists(outputs)), outputs, options);
  } catch (const OutputRefusal& e) {
    throw RunError(kExitUsage, e.what());
  }
}

} // namespace runner
