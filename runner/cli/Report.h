// The runner's report: what the run did, in words a modeler understands (text) or as one JSON
// object for pipelines.
#pragma once

#include "RunFiles.h"
#include "TransferRun.h"

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
  const TransferOutcome* outcome = nullptr;
  std::vector<std::pair<std::string, double>> timings; // stage, seconds
  std::optional<InputSummary> files; // runs on model files: what was read and written
};

std::string textReport(const RunReport& report);
std::string jsonReport(const RunReport& report);
std::string jsonError(int exitCode, const std::string& message);

} // namespace runner
