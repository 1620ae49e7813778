// The one place that knows every file format: it picks the format of a run from the files the
// command line names, and opens the run's files in it. The command line itself knows no format:
// it hands over what the user said of files, and each format applies its own rules to it.
// Relies on the formats' folders (document, gltf, obj).
#pragma once

#include "RunFiles.h"

#include <memory>
#include <string>

namespace runner {

// Checks that one format takes the arguments and that they keep its rules, without touching a
// file. Throws RunError(kExitUsage) naming the faulty argument.
void checkFileArguments(const FileArguments& arguments);

// The files of the run in the format that takes the arguments (a pattern of files is expanded
// here). Throws RunError.
std::unique_ptr<RunFiles> openRunFiles(const FileArguments& arguments);

// What every format's part of the help says, in the order the help shows them.
std::string formatsUsageText();

} // namespace runner
