// The runner's command line: options named after the dialog's controls in English, the files of
// the run (handed to the format registry as they are), and what to report. Parsing never touches
// a file.
#pragma once

#include "RunFiles.h"
#include "TransferRun.h"

#include <string>

namespace runner {

// Whether the progress line shows: on a terminal for runs over a second, always, or never.
enum class ProgressMode { Automatic, Always, Never };

struct CommandLine {
  bool help = false, version = false;
  ProgressMode progress = ProgressMode::Automatic;
  FileArguments files;
  bool jsonReport = false;
  std::string dialogPage; // --show-dialog
  std::string viewerPage; // --viewer
  std::string picturesFolder;
  std::string plugin; // empty: beside the program
  AddedVerticesMode addedVertices = AddedVerticesMode::Plugin;
  TransferRequest request;
};

// Throws RunError(kExitUsage) with a message naming the faulty argument.
CommandLine parseCommandLine(int argc, const char* const* argv);

std::string usageText();

} // namespace runner
