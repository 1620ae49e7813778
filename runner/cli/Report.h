// The runner's report: what the run did, in words a modeler understands (text) or as one JSON
// object for pipelines. Both render one model of the facts, built once from the run: the JSON
// form is the model itself, the text form reads it.
#pragma once

#include "RunFiles.h"
#include "TransferRun.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace runner {

struct RunReport {
  std::string input, output;
  bool written = false; // false for --dry-run
  std::vector<std::string> pictures;
  std::string dialogPage;
  std::string viewerPage;
  const TransferOutcome* outcome = nullptr;            // the first (most often the only) pair's
  std::vector<const TransferOutcome*> pairs;           // every pair's, when a run carried several
  std::vector<std::pair<std::string, double>> timings; // stage, seconds
  std::optional<InputSummary> files; // what was read and written, when the report lists it
};

using ReportModel = nlohmann::ordered_json;

// The facts of the run (ReportModel.cpp), and their text (ReportText.cpp).
ReportModel reportModel(const RunReport& report);
std::string textOf(const ReportModel& model);

std::string textReport(const RunReport& report);
std::string jsonReport(const RunReport& report);
std::string jsonError(int exitCode, const std::string& message);

} // namespace runner
