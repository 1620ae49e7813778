#include "Run.h"

#include "DocumentFile.h"
#include "FileChecks.h"
#include "MorphPicture.h"
#include "MorphViewer.h"
#include "PluginModule.h"
#include "Progress.h"
#include "Report.h"
#include "RunFiles.h"
#include "StagedOutputs.h"
#include "SurfaceMode.h"
#include "TransferRun.h"
#include "dialog/DialogOptions.h"

#include <cctype>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>

namespace runner {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A file name for an element's picture: its name with characters unsafe in file names replaced.
std::string pictureName(const std::string& element, size_t index) {
  std::string name;
  for (char c : element)
    name += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
  return std::to_string(index + 1) + "-" + name + ".png";
}

std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Files without vertex unique IDs pair by position: the dialog's box is unticked, and asking
// for the IDs is a mistake worth saying.
void pairByPositionFor(const RunFiles& files, TransferRequest& request) {
  std::optional<bool>& uniqueIds =
      request.dialog.options[dialog::optionIndex(&TransferSettings::useUniqueIds)];
  if (uniqueIds.value_or(false))
    throw RunError(kExitUsage, "--use-unique-ids: " + files.summary().format +
                                   " files carry no vertex unique IDs, so this run pairs the "
                                   "vertices by position; leave the option out");
  uniqueIds = false;
}

void readInput(const CommandLine& line, RunFiles* files, sim::Document& document,
               TransferRequest& request, Progress& progress) {
  try {
    if (files) {
      RunObjects objects;
      files->read(document, objects);
      if (objects.source) { // the files named them (glTF: nodes or meshes) and they are selected
        request.sourceName.reset();
        request.destinationName.reset();
      }
      return;
    }
    const std::string wrongKind = unreadableKind(line.input);
    if (!wrongKind.empty())
      throw DocumentError(line.input + ": " + wrongKind);
    readDocument(line.input, document, [&progress](std::uint64_t done, std::uint64_t total) {
      progress.bytes(done, total);
    });
  } catch (const DocumentError& e) {
    throw RunError(kExitBadInput, e.what());
  }
}

// The command run on the document, with the progress line following the plug-in.
void runPlugin(const CommandLine& line, TransferRequest request, PluginModule& plugin,
               sim::Document& document, Progress& progress, TransferOutcome& outcome) {
  request.dialog.wantPicture = !line.dialogPage.empty();
  request.dialog.beforeOk = [&progress, &outcome](size_t picked) {
    progress.transfer().start(picked, outcome.destination ? outcome.destination->vertexCount() : 0);
  };
  request.afterCommand = [&progress] { progress.stage("checking the result"); };
  progress.transferStage();
  runTransfer(plugin, document, request, outcome);
}

// The paths of the new elements' pictures.
std::vector<std::string> picturePaths(const CommandLine& line, const TransferOutcome& outcome) {
  std::vector<std::string> paths;
  for (size_t k = 0; k < outcome.elements.size(); ++k)
    if (outcome.elements[k].oldElement)
      paths.push_back(line.picturesFolder + "/" + pictureName(outcome.elements[k].newName, k));
  return paths;
}

void stagePictures(const std::vector<std::string>& paths, const TransferOutcome& outcome,
                   Progress& progress, StagedOutputs& staged) {
  progress.stage("pictures");
  size_t next = 0;
  for (const ElementOutcome& e : outcome.elements) {
    if (!e.oldElement)
      continue;
    progress.items(next, paths.size());
    int width = 0, height = 0;
    const std::string png = renderMorphPicturePng(
        MorphPictureInput{outcome.source, e.oldElement, outcome.destination, e.newElement,
                          &outcome.correspondence, &outcome.addedVertices.changed},
        width, height);
    if (png.empty())
      throw RunError(kExitFailure, paths[next] + ": cannot create the picture");
    staged.add(paths[next++], png);
  }
}

// The dialog page, the viewer page and the pictures, staged once every output's name is known and
// checked.
void stageExtras(const CommandLine& line, const RunFiles* files, const TransferOutcome& outcome,
                 std::vector<FileGroup>& outputs, Progress& progress, StagedOutputs& staged,
                 RunReport& report) {
  std::vector<std::string> pictures;
  if (!line.picturesFolder.empty()) {
    pictures = picturePaths(line, outcome);
    addPictures(outputs, pictures);
    checkRunFiles(line, files, outputs);
  }
  if (!line.dialogPage.empty()) {
    if (outcome.view.pictureHtml.empty())
      throw RunError(kExitFailure, "the options dialog could not be pictured");
    staged.add(line.dialogPage, outcome.view.pictureHtml);
    report.dialogPage = line.dialogPage;
  }
  if (!line.viewerPage.empty()) {
    const auto stage = std::chrono::steady_clock::now();
    progress.stage("viewer page");
    staged.add(line.viewerPage, viewerPage(viewerSceneOf(outcome, baseName(report.input))));
    report.viewerPage = line.viewerPage;
    report.timings.emplace_back("viewer", secondsSince(stage));
  }
  if (!line.picturesFolder.empty()) {
    const auto stage = std::chrono::steady_clock::now();
    staged.makeFolder(line.picturesFolder);
    stagePictures(pictures, outcome, progress, staged);
    report.pictures = pictures;
    report.timings.emplace_back("pictures", secondsSince(stage));
  }
}

} // namespace

int runCommandLine(const CommandLine& line) {
  Progress progress(line.progress);
  RunReport report;
  report.input = line.sourceFile.empty() ? line.input : line.sourceFile;
  report.output = line.sourceFile.empty() ? line.output : line.outputFolder;
  TransferRequest request = line.request;
  const std::unique_ptr<RunFiles> files = openRunFiles(line);
  if (files) {
    pairByPositionFor(*files, request);
    files->checkOutputs();
  }
  std::vector<FileGroup> outputs = plannedOutputs(line, files.get());
  checkRunFiles(line, files.get(), outputs);

  auto stage = std::chrono::steady_clock::now();
  progress.stage("reading " + baseName(report.input));
  auto document = std::make_unique<sim::Document>();
  readInput(line, files.get(), *document, request, progress);
  report.timings.emplace_back("read", secondsSince(stage));

  stage = std::chrono::steady_clock::now();
  PluginModule plugin(line.plugin.empty() ? defaultPluginPath() : line.plugin);
  if (!plugin.start(sim::moduleFileName()))
    throw RunError(kExitFailure, plugin.error());
  report.timings.emplace_back("plug-in start", secondsSince(stage));

  TransferOutcome outcome;
  runPlugin(line, request, plugin, *document, progress, outcome);
  report.outcome = &outcome;
  report.timings.emplace_back("dialog and transfer", outcome.dialogAndTransferSeconds);
  report.timings.emplace_back("check", outcome.checkSeconds);
  if (line.addedVertices == AddedVerticesMode::Surface) {
    progress.stage("added vertices from the Source surface");
    applySurfaceMode(*document, outcome);
    report.timings.emplace_back("added vertices", outcome.addedVertices.seconds);
  }

  StagedOutputs staged;
  stageExtras(line, files.get(), outcome, outputs, progress, staged, report);
  if (!line.dryRun) {
    stage = std::chrono::steady_clock::now();
    progress.stage("writing " + baseName(report.output));
    try {
      if (files)
        files->write(*document, outcome);
      else
        writeDocument(line.output, *document, line.layout,
                      [&progress](std::uint64_t done, std::uint64_t total) {
                        progress.items(done, total); // numbers written
                      });
    } catch (const DocumentError& e) {
      throw RunError(kExitFailure, e.what());
    }
    report.written = true;
    report.timings.emplace_back("write", secondsSince(stage));
  }
  staged.commit();
  if (files)
    report.files = files->summary();
  progress.stop();
  std::cout << (line.jsonReport ? jsonReport(report) : textReport(report));
  return kExitOk;
}

} // namespace runner
