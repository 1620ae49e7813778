// tovalinder-run: the Tovalinder command of the real plug-in, run on a document file in the
// simulated host, with its options dialog worked by a scripted user.
#include "CommandLine.h"
#include "DialogOptions.h"
#include "DocumentFile.h"
#include "MorphPicture.h"
#include "PluginModule.h"
#include "Report.h"
#include "RunFiles.h"
#include "SurfaceMode.h"
#include "TransferRun.h"

#include "AtomicFile.h"

#include <cctype>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

using namespace runner;

namespace {

const char kProgram[] = "tovalinder-run";

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void writeText(const std::string& path, const std::string& text) {
  AtomicFile file(path);
  if (!file.open())
    throw RunError(kExitFailure, path + ": cannot create the file");
  file.stream() << text;
  if (!file.commit())
    throw RunError(kExitFailure, path + ": could not write the file");
}

// A file name for an element's picture: its name with characters unsafe in file names replaced.
std::string pictureName(const std::string& element, size_t index) {
  std::string name;
  for (char c : element)
    name += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
  return std::to_string(index + 1) + "-" + name + ".png";
}

// Files without vertex unique IDs pair by position: the dialog's box is unticked, and asking
// for the IDs is a mistake worth saying.
void pairByPositionFor(const RunFiles& files, TransferRequest& request) {
  std::optional<bool>& uniqueIds = request.dialog.options[kUseUniqueIds];
  if (uniqueIds.value_or(false))
    throw RunError(kExitUsage, "--use-unique-ids: " + files.summary().format +
                                   " files carry no vertex unique IDs, so this run pairs the "
                                   "vertices by position; leave the option out");
  uniqueIds = false;
}

int run(const CommandLine& line, bool& jsonOnFailure) {
  jsonOnFailure = line.jsonReport;
  RunReport report;
  report.input = line.sourceFile.empty() ? line.input : line.sourceFile;
  report.output = line.sourceFile.empty() ? line.output : line.outputFolder;
  TransferRequest request = line.request;
  const std::unique_ptr<RunFiles> files = openRunFiles(line);
  if (files) {
    pairByPositionFor(*files, request);
    files->checkOutputs();
  }

  auto stage = std::chrono::steady_clock::now();
  auto document = std::make_unique<sim::Document>();
  try {
    RunObjects objects;
    if (files)
      files->read(*document, objects);
    else
      readDocument(line.input, *document);
  } catch (const DocumentError& e) {
    throw RunError(kExitBadInput, e.what());
  }
  report.timings.emplace_back("read", secondsSince(stage));

  stage = std::chrono::steady_clock::now();
  PluginModule plugin(line.plugin.empty() ? defaultPluginPath() : line.plugin);
  if (!plugin.start())
    throw RunError(kExitFailure, plugin.error());
  report.timings.emplace_back("plug-in start", secondsSince(stage));

  TransferOutcome outcome;
  request.dialog.wantPicture = !line.dialogPage.empty();
  try {
    runTransfer(plugin, *document, request, outcome);
  } catch (const RunError& e) {
    // A cancelled dialog was still seen: its page is what the user asked to look at.
    if (e.code == kExitCancelled && !outcome.view.pictureHtml.empty())
      writeText(line.dialogPage, outcome.view.pictureHtml);
    throw;
  }
  report.outcome = &outcome;
  report.timings.emplace_back("dialog and transfer", outcome.dialogAndTransferSeconds);
  report.timings.emplace_back("check", outcome.checkSeconds);
  if (line.addedVertices == AddedVerticesMode::Surface) {
    applySurfaceMode(*document, outcome);
    report.timings.emplace_back("added vertices", outcome.addedVertices.seconds);
  }

  if (!line.dialogPage.empty()) {
    if (outcome.view.pictureHtml.empty())
      throw RunError(kExitFailure, "the options dialog could not be pictured");
    writeText(line.dialogPage, outcome.view.pictureHtml);
    report.dialogPage = line.dialogPage;
  }
  if (!line.picturesFolder.empty()) {
    stage = std::chrono::steady_clock::now();
    std::error_code error;
    std::filesystem::create_directories(line.picturesFolder, error);
    for (size_t k = 0; k < outcome.elements.size(); ++k) {
      const ElementOutcome& e = outcome.elements[k];
      if (!e.oldElement)
        continue;
      const std::string path = line.picturesFolder + "/" + pictureName(e.newName, k);
      std::string why;
      if (!writeMorphPicture(path,
                             MorphPictureInput{outcome.source, e.oldElement, outcome.destination,
                                               e.newElement, &outcome.correspondence,
                                               &outcome.addedVertices.changed},
                             why))
        throw RunError(kExitFailure, why);
      report.pictures.push_back(path);
    }
    report.timings.emplace_back("pictures", secondsSince(stage));
  }
  if (!line.dryRun) {
    stage = std::chrono::steady_clock::now();
    try {
      if (files)
        files->write(*document, outcome);
      else
        writeDocument(line.output, *document, line.layout);
    } catch (const DocumentError& e) {
      throw RunError(kExitFailure, e.what());
    }
    report.written = true;
    report.timings.emplace_back("write", secondsSince(stage));
  }
  if (files)
    report.files = files->summary();
  std::cout << (line.jsonReport ? jsonReport(report) : textReport(report));
  return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
  bool json = false;
  try {
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.help) {
      std::cout << usageText();
      return kExitOk;
    }
    if (line.version) {
      std::cout << kProgram << " " << TOVALINDER_VERSION_TEXT << "\n";
      return kExitOk;
    }
    return run(line, json);
  } catch (const RunError& e) {
    std::cerr << kProgram << ": " << e.what() << "\n";
    if (e.code == kExitUsage)
      std::cerr << "Try '" << kProgram << " --help' for more information.\n";
    if (json)
      std::cout << jsonError(e.code, e.what());
    return e.code;
  } catch (const std::exception& e) {
    std::cerr << kProgram << ": " << e.what() << "\n";
    if (json)
      std::cout << jsonError(kExitFailure, e.what());
    return kExitFailure;
  }
}
