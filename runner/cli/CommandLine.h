// The runner's command line: options named after the dialog's controls in English, the input
// and output files, and what to report. Parsing never touches a file.
#pragma once

#include "DocumentFile.h"
#include "TransferRun.h"

#include <string>

namespace runner {

// Whether the progress line shows: on a terminal for runs over a second, always, or never.
enum class ProgressMode { Automatic, Always, Never };

struct CommandLine {
  bool help = false, version = false;
  bool force = false; // the result may replace the input document
  ProgressMode progress = ProgressMode::Automatic;
  std::string input;
  std::string output; // empty: "<input name>-transferred.json" in the current folder
  DataLayout layout = DataLayout::Automatic;
  bool dryRun = false;
  bool jsonReport = false;
  std::string dialogPage; // --show-dialog
  std::string picturesFolder;
  std::string plugin; // empty: beside the program
  AddedVerticesMode addedVertices = AddedVerticesMode::Plugin;
  TransferRequest request;
};

// Throws RunError(kExitUsage) with a message naming the faulty argument.
CommandLine parseCommandLine(int argc, const char* const* argv);

std::string usageText();
std::string defaultOutputFor(const std::string& input);

} // namespace runner
