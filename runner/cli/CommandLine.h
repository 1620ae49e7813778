// The runner's command line: options named after the dialog's controls in English, the input
// and output files, and what to report. Parsing never touches a file.
#pragma once

#include "DocumentFile.h"
#include "TransferRun.h"

#include <memory>
#include <string>
#include <vector>

namespace runner {

class RunFiles;

// Whether the progress line shows: on a terminal for runs over a second, always, or never.
enum class ProgressMode { Automatic, Always, Never };

struct CommandLine {
  bool help = false, version = false;
  ProgressMode progress = ProgressMode::Automatic;
  std::string input;
  std::string secondInput; // glTF: the Destination's file when it is not the input
  std::string output;      // empty: "<input name>-transferred.json" (glTF: "<Destination file
                           // name>-transferred.<its extension>") in the current folder
  DataLayout layout = DataLayout::Automatic;
  bool dryRun = false;
  bool jsonReport = false;
  std::string dialogPage; // --show-dialog
  std::string viewerPage; // --viewer
  std::string picturesFolder;
  std::string plugin; // empty: beside the program
  AddedVerticesMode addedVertices = AddedVerticesMode::Plugin;
  TransferRequest request;
  // A run on model files (the format follows the extension of --source's file): --source and
  // --destination name files, not objects.
  std::string sourceFile, destinationFile;
  std::vector<std::string> morphs; // --morph [NAME=]FILE or a pattern, as given
  std::string outputFolder;        // --output-dir
  // A document run: the result may replace the input document; a run on model files: files in
  // the output folder may be replaced.
  bool force = false;
};

// Throws RunError(kExitUsage) with a message naming the faulty argument.
CommandLine parseCommandLine(int argc, const char* const* argv);

std::string usageText();
std::string defaultOutputFor(const std::string& input);

// Runs on model files (ModelFileLine.cpp): whether a file name has the extension of a model
// format the runner reads (.obj); the checks that make --source and --destination name files
// (part of parseCommandLine); their part of the help text.
bool isModelFile(const std::string& path);
void completeModelFileRun(CommandLine& line);
std::string modelFileUsageText();
// The files of a run on model files; null for a document run.
std::unique_ptr<RunFiles> openRunFiles(const CommandLine& line);

} // namespace runner
