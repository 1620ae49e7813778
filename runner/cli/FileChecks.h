// The files one run of the runner reads and writes, listed for the checks made before anything
// is written (FileSafety.h): what the run's format reads and writes (RunFiles), the dialog page
// and the pictures.
#pragma once

#include "CommandLine.h"
#include "FileSafety.h"
#include "RunFiles.h"

#include <string>
#include <vector>

namespace runner {

// The outputs known before the run (all but the pictures, whose names come from the elements).
std::vector<FileGroup> plannedOutputs(const CommandLine& line, const RunFiles& files);
void addPictures(std::vector<FileGroup>& outputs, const std::vector<std::string>& paths);

// Checks the outputs against the run's inputs and each other. Throws RunError(kExitUsage).
void checkRunFiles(const CommandLine& line, const RunFiles& files,
                   const std::vector<FileGroup>& outputs);

} // namespace runner
