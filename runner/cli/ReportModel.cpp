// The report's facts, gathered once from the run in the order the JSON report gives them.
#include "Report.h"

#include "dialog/DialogOptions.h"

#include <cstdio>

namespace runner {

namespace {

using Json = ReportModel;

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

bool surfaceModeSuggested(const TransferOutcome& o) {
  const VertexTally& v = o.correspondence.tally;
  return o.addedVertices.mode == AddedVerticesMode::Plugin && o.settings.copyCoordinates &&
         v.total > 0 && v.interpolated > kSurfaceModeSuggestedAbove * v.total;
}

std::string surfaceModeSuggestion(const TransferOutcome& o) {
  const VertexTally& v = o.correspondence.tally;
  return fixed(100.0 * v.interpolated / v.total, 1) +
         " % of the Destination's vertices were added and interpolated; --added-vertices surface "
         "takes their morph from the Source surface";
}

Json filesOf(const InputSummary& files) {
  Json read = Json::array(), written = Json::array();
  for (const auto& [role, file] : files.files)
    read.push_back({{"role", role}, {"file", file}});
  for (const auto& [morph, file] : files.outputs)
    written.push_back({{"morph", morph}, {"file", file}});
  Json j = {{"format", files.format}, {"read", read}, {"written", written}, {"notes", files.notes}};
  if (!files.warnings.empty())
    j["warnings"] = files.warnings;
  if (!files.unpaired.empty())
    j["unpaired"] = files.unpaired;
  return j;
}

Json expressionsOf(const InputSummary& files) {
  Json changed = Json::array();
  for (const ExpressionChange& e : files.expressions) {
    Json binds = Json::array();
    for (const ExpressionBind& b : e.binds)
      binds.push_back({{b.on, b.target}, {"index", b.index}, {"weight", b.weight}});
    changed.push_back({{"name", e.name}, {"created", e.created}, {"bindsAdded", binds}});
  }
  Json j = {{"changed", changed}};
  if (!files.expressionsNote.empty())
    j["note"] = files.expressionsNote;
  return j;
}

Json objectOf(const std::string& name, const std::string& after, const sim::Object& object) {
  return {{"name", name},
          {"nameAfter", after},
          {"vertices", object.vertexCount()},
          {"faces", object.faceCount()}};
}

Json dialogOf(const TransferOutcome& o) {
  Json options;
  for (size_t i : dialog::optionsInSettingsOrder())
    options[dialog::kDialogOptions[i].flag] = o.view.states[i];
  return {{"listed", o.view.listed},
          {"picked", o.view.picked},
          {"rateText", o.view.rateText},
          {"rate", o.rate},
          {"options", options}};
}

Json elementsOf(const TransferOutcome& o) {
  Json elements = Json::array();
  for (const ElementOutcome& e : o.elements) {
    Json element = {{"from", e.picked},
                    {"name", e.newName},
                    {"oldRemoved", e.oldRemoved},
                    {"oldNameAfter", e.oldNameAfter},
                    {"movedVertices", e.motion.moved},
                    {"largestOffset", e.motion.largest}};
    if (e.faces.passRan)
      element["faces"] = {{"considered", e.faces.considered},
                          {"paired", e.faces.paired},
                          {"notPaired", e.faces.unpaired}};
    elements.push_back(element);
  }
  return elements;
}

Json verticesOf(const TransferOutcome& o) {
  const VertexTally& v = o.correspondence.tally;
  return {{"total", v.total},
          {"pairedBy", o.settings.useUniqueIds ? "uniqueId" : "position"},
          {"mirror", o.settings.mirrorMorph},
          {"matched", v.matched},
          {"interpolated", v.interpolated},
          {"addedLeftAlone", v.addedLeftAlone},
          {"notSelected", v.notSelected},
          {"unused", v.unused}};
}

// Where the added vertices' offsets came from, or the hint to ask for the surface mode.
void addAddedVertices(const TransferOutcome& o, Json& j) {
  const AddedVerticesSummary& added = o.addedVertices;
  if (added.mode == AddedVerticesMode::Surface)
    j["addedVertices"] = {{"mode", nameOf(added.mode)},
                          {"fromSurface", added.fromSurface},
                          {"harmonic", added.harmonic},
                          {"asThePluginMadeThem", added.kept}};
  else if (surfaceModeSuggested(o))
    j["addedVertices"] = {{"mode", nameOf(added.mode)}, {"suggestion", surfaceModeSuggestion(o)}};
}

// The pictures and pages written, the time of each stage and the host calls.
void addRunRecord(const RunReport& report, Json& j) {
  j["pictures"] = report.pictures;
  if (!report.dialogPage.empty())
    j["dialogPage"] = report.dialogPage;
  if (!report.viewerPage.empty())
    j["viewerPage"] = report.viewerPage;
  Json timings;
  for (const auto& [stage, seconds] : report.timings)
    timings[stage] = seconds;
  j["seconds"] = timings;
  // What the plug-in asked of the host during its commands: function name and number of calls.
  Json calls = Json::object();
  for (const TransferOutcome* pair :
       report.pairs.empty() ? std::vector<const TransferOutcome*>{report.outcome} : report.pairs)
    for (const auto& [function, count] : pair->hostCalls)
      calls[function] = calls.value(function, 0) + count;
  j["hostCalls"] = calls;
}

// What one command of the plug-in did: its objects, the dialog, the elements, the vertices.
void addPair(const TransferOutcome& o, Json& j) {
  j["source"] = objectOf(o.sourceName, o.sourceNameAfter, *o.source);
  j["destination"] = objectOf(o.destinationName, o.destinationNameAfter, *o.destination);
  if (o.source == o.destination)
    j["destination"]["sameAsSource"] = true; // only one object was selected
  j["dialog"] = dialogOf(o);
  j["elements"] = elementsOf(o);
  j["vertices"] = verticesOf(o);
  addAddedVertices(o, j);
  j["hostMessages"] = o.hostMessages;
  j["hostMisuses"] = o.hostMisuses;
}

} // namespace

ReportModel reportModel(const RunReport& report) {
  Json j;
  j["ok"] = true;
  j["input"] = report.input;
  j["output"] = report.output;
  j["written"] = report.written;
  if (report.files)
    j["files"] = filesOf(*report.files);
  if (report.files && report.files->hasExpressions)
    j["expressions"] = expressionsOf(*report.files);
  if (report.pairs.size() > 1) {
    j["pairs"] = Json::array();
    for (const TransferOutcome* pair : report.pairs)
      addPair(*pair, j["pairs"].emplace_back(Json::object()));
  } else {
    addPair(*report.outcome, j);
  }
  addRunRecord(report, j);
  return j;
}

std::string jsonReport(const RunReport& report) {
  return reportModel(report).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string textReport(const RunReport& report) {
  return textOf(reportModel(report));
}

std::string jsonError(int exitCode, const std::string& message) {
  Json j;
  j["ok"] = false;
  j["exitCode"] = exitCode;
  j["error"] = message;
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

} // namespace runner
