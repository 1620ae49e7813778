// The files one run of the runner reads and writes, listed for the checks made before anything
// is written (FileSafety.h): the input document with its side file, or the model files of a run
// on them; the output document with the side file its layout may use, the dialog page and the
// pictures. (A run on model files checks its own outputs: RunFiles::checkOutputs.)
#pragma once

#include "CommandLine.h"
#include "FileSafety.h"
#include "RunFiles.h"

#include <string>
#include <vector>

namespace runner {

// The outputs known before the run (all but the pictures, whose names come from the elements);
// `files` for a run on model files.
std::vector<FileGroup> plannedOutputs(const CommandLine& line, const RunFiles* files);
void addPictures(std::vector<FileGroup>& outputs, const std::vector<std::string>& paths);

// Checks the outputs against the inputs (the document, or the model files when `files` is
// given) and each other. Throws RunError(kExitUsage).
void checkRunFiles(const CommandLine& line, const RunFiles* files,
                   const std::vector<FileGroup>& outputs);

} // namespace runner
