#include "Run.h"

#include "FileChecks.h"
#include "FileError.h"
#include "FormatRegistry.h"
#include "MorphPicture.h"
#include "MorphViewer.h"
#include "OutputSet.h"
#include "PluginModule.h"
#include "Progress.h"
#include "Report.h"
#include "RunFiles.h"
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

using Outcomes = std::vector<const TransferOutcome*>;

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
  if (files.hasUniqueIds())
    return;
  std::optional<bool>& uniqueIds =
      request.dialog.options[dialog::optionIndex(&TransferSettings::useUniqueIds)];
  if (uniqueIds.value_or(false))
    throw RunError(kExitUsage, "--use-unique-ids: " + files.summary().format +
                                   " files carry no vertex unique IDs, so this run pairs the "
                                   "vertices by position; leave the option out");
  uniqueIds = false;
}

// The command run on the document, with the progress line following the plug-in.
void runPlugin(const CommandLine& line, TransferRequest request, PluginModule& plugin,
               sim::Document& document, Progress& progress, TransferOutcome& outcome) {
  request.dialog.wantPicture = !line.dialogPage.empty();
  request.dialog.beforeOk = [&progress, &outcome, &document](size_t picked) {
    progress.transfer().start(document.host(), picked,
                              outcome.destination ? outcome.destination->vertexCount() : 0);
  };
  request.afterCommand = [&progress] { progress.stage("checking the result"); };
  progress.transferStage();
  runTransfer(plugin, document, request, outcome);
}

// The paths of the new elements' pictures, over every pair the run carried.
std::vector<std::string> picturePaths(const CommandLine& line, const Outcomes& outcomes) {
  std::vector<std::string> paths;
  size_t k = 0;
  for (const TransferOutcome* outcome : outcomes)
    for (const ElementOutcome& e : outcome->elements) {
      if (e.oldElement)
        paths.push_back(line.picturesFolder + "/" + pictureName(e.newName, k));
      ++k;
    }
  return paths;
}

void stagePictures(const std::vector<std::string>& paths, const Outcomes& outcomes,
                   Progress& progress, OutputSet& staged) {
  progress.stage("pictures");
  size_t next = 0;
  for (const TransferOutcome* outcome : outcomes)
    for (const ElementOutcome& e : outcome->elements) {
      if (!e.oldElement)
        continue;
      progress.items(next, paths.size());
      int width = 0, height = 0;
      const std::string png = renderMorphPicturePng(
          MorphPictureInput{outcome->source, e.oldElement, outcome->destination, e.newElement,
                            &outcome->correspondence, &outcome->addedVertices.changed},
          width, height);
      if (png.empty())
        throw RunError(kExitFailure, paths[next] + ": cannot create the picture");
      staged.add(paths[next++], png);
    }
}

// The dialog page and the viewer page.
void stagePages(const CommandLine& line, const TransferOutcome& outcome, Progress& progress,
                OutputSet& staged, RunReport& report) {
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
}

// The pages (of the first pair) and the pictures (of every pair), staged once every output's name
// is known (the format's own too, now that its files are read) and checked.
void stageExtras(const CommandLine& line, const RunFiles& files, const Outcomes& outcomes,
                 Progress& progress, OutputSet& staged, RunReport& report) {
  std::vector<FileGroup> outputs = plannedOutputs(line, files);
  std::vector<std::string> pictures;
  if (!line.picturesFolder.empty())
    addPictures(outputs, pictures = picturePaths(line, outcomes));
  checkRunFiles(line, files, outputs);
  stagePages(line, *outcomes.front(), progress, staged, report);
  if (!line.picturesFolder.empty()) {
    const auto stage = std::chrono::steady_clock::now();
    staged.makeFolder(line.picturesFolder);
    stagePictures(pictures, outcomes, progress, staged);
    report.pictures = pictures;
    report.timings.emplace_back("pictures", secondsSince(stage));
  }
}

// The run's files read into the document, with the progress line following the bytes.
void readInput(RunFiles& files, sim::Document& document, Progress& progress, RunReport& report) {
  const auto stage = std::chrono::steady_clock::now();
  progress.stage("reading " + baseName(report.input));
  try {
    files.read(document, [&progress](std::uint64_t done, std::uint64_t total) {
      progress.bytes(done, total);
    });
  } catch (const FileError& e) {
    throw RunError(kExitBadInput, e.what());
  }
  report.timings.emplace_back("read", secondsSince(stage));
}

// One command of the plug-in on one pair's document, and what it did.
struct CarriedPair {
  sim::Document* document = nullptr; // the host's
  TransferOutcome outcome;
};

// The result written by the run's format, pair by pair, then the staged pictures and pages put
// in place.
void writeOutputs(const CommandLine& line, RunFiles& files, const std::vector<CarriedPair>& pairs,
                  Progress& progress, OutputSet& staged, RunReport& report) {
  if (!line.files.dryRun) {
    const auto stage = std::chrono::steady_clock::now();
    progress.stage("writing " + baseName(report.output));
    try {
      for (const CarriedPair& pair : pairs)
        files.write(*pair.document, pair.outcome, staged,
                    [&progress](std::uint64_t done, std::uint64_t total) {
                      progress.items(done, total); // numbers written
                    });
      staged.commit();
    } catch (const FileError& e) {
      throw RunError(kExitFailure, e.what());
    }
    report.written = true;
    report.timings.emplace_back("write", secondsSince(stage));
    return;
  }
  staged.commit();
}

// The plug-in loaded and started as a host starts it.
std::unique_ptr<PluginModule> startPlugin(const CommandLine& line, RunReport& report) {
  const auto stage = std::chrono::steady_clock::now();
  auto plugin =
      std::make_unique<PluginModule>(line.plugin.empty() ? defaultPluginPath() : line.plugin);
  if (!plugin->start(sim::moduleFileName()))
    throw RunError(kExitFailure, plugin->error());
  report.timings.emplace_back("plug-in start", secondsSince(stage));
  return plugin;
}

// The plug-in's command on every pair the run carries, each in a document of its own (the first
// already read), and the added vertices from the Source surface when asked.
void carryPairs(const CommandLine& line, const TransferRequest& request, RunFiles& files,
                PluginModule& plugin, sim::Host& host, Progress& progress,
                std::vector<CarriedPair>& pairs) {
  for (size_t k = 0; k < files.pairCount(); ++k) {
    if (k > 0) {
      progress.stage("reading pair " + std::to_string(k + 1));
      try {
        files.readPair(k, *(pairs.emplace_back().document = &host.newDocument()));
      } catch (const FileError& e) {
        throw RunError(kExitBadInput, e.what());
      }
    }
    runPlugin(line, request, plugin, *pairs[k].document, progress, pairs[k].outcome);
    if (line.addedVertices == AddedVerticesMode::Surface) {
      progress.stage("added vertices from the Source surface");
      applySurfaceMode(*pairs[k].document, pairs[k].outcome);
    }
  }
}

// The stages' times over every pair.
void addPairTimings(const std::vector<CarriedPair>& pairs, bool surface, RunReport& report) {
  double transfer = 0, check = 0, added = 0;
  for (const CarriedPair& pair : pairs) {
    transfer += pair.outcome.dialogAndTransferSeconds;
    check += pair.outcome.checkSeconds;
    added += pair.outcome.addedVertices.seconds;
  }
  report.timings.emplace_back("dialog and transfer", transfer);
  report.timings.emplace_back("check", check);
  if (surface)
    report.timings.emplace_back("added vertices", added);
}

} // namespace

int runCommandLine(const CommandLine& line) {
  Progress progress(line.progress);
  const std::unique_ptr<RunFiles> files = openRunFiles(line.files);
  RunReport report;
  report.input = files->summary().input;
  report.output = files->summary().output;
  TransferRequest request = line.request;
  pairByPositionFor(*files, request);
  files->checkOutputs();
  checkRunFiles(line, *files, plannedOutputs(line, *files));

  // One host for the run, as one application: a document of its own for each pair.
  sim::Host host;
  std::vector<CarriedPair> pairs(1);
  pairs.front().document = &host.newDocument();
  readInput(*files, *pairs.front().document, progress, report);
  const std::unique_ptr<PluginModule> plugin = startPlugin(line, report);
  carryPairs(line, request, *files, *plugin, host, progress, pairs);
  Outcomes outcomes;
  for (const CarriedPair& pair : pairs)
    outcomes.push_back(&pair.outcome);
  report.outcome = outcomes.front();
  if (outcomes.size() > 1)
    report.pairs = outcomes;
  addPairTimings(pairs, line.addedVertices == AddedVerticesMode::Surface, report);
  OutputSet staged;
  stageExtras(line, *files, outcomes, progress, staged, report);
  writeOutputs(line, *files, pairs, progress, staged, report);
  if (files->summary().listsFiles)
    report.files = files->summary();
  progress.stop();
  std::cout << (line.jsonReport ? jsonReport(report) : textReport(report));
  return kExitOk;
}

} // namespace runner
