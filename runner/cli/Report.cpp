#include "Report.h"

#include "Printable.h"
#include "dialog/DialogOptions.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace runner {

namespace {

// Names come from documents: shown escaped where they could work the terminal.
std::string quoted(const std::string& text) {
  return "\"" + printable(text) + "\"";
}

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string general(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string padded(std::string text, size_t width) {
  // Pads by bytes; names are ASCII in practice and the report stays readable otherwise.
  if (text.size() < width)
    text.resize(width, ' ');
  return text;
}

std::string plural(long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string optionsOn(const TransferOutcome& o) {
  std::string text;
  for (size_t i : dialog::optionsInSettingsOrder())
    if (dialog::kDialogOptions[i].field && o.view.states[i])
      text += (text.empty() ? "" : ", ") + std::string(dialog::kDialogOptions[i].flag);
  return text.empty() ? "(none)" : text;
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

std::string surfaceModeCounts(const AddedVerticesSummary& a) {
  return std::to_string(a.fromSurface) + " from the Source surface, " + std::to_string(a.harmonic) +
         " harmonic from their neighbours, " + std::to_string(a.kept) + " as the plug-in made them";
}

std::string objectSize(const sim::Object& object) {
  return plural(object.vertexCount(), "vertex", "vertices") + ", " +
         plural(object.faceCount(), "face", "faces");
}

std::string filesRead(const InputSummary& files) {
  std::string t = "Files read (" + files.format + "):\n";
  size_t width = 0;
  for (const auto& [role, file] : files.files)
    width = std::max(width, printable(role).size());
  for (const auto& [role, file] : files.files)
    t += "  " + padded(printable(role), width) + "  " + printable(file) + "\n";
  for (const std::string& note : files.notes)
    t += "  Note: " + printable(note) + "\n";
  return t + "\n";
}

std::string filesWritten(const RunReport& report) {
  if (!report.written)
    return "Not written (dry run)" +
           (report.output.empty() ? "" : ": " + printable(report.output)) + "\n";
  std::string t, last;
  for (const auto& [morph, file] : report.files->outputs)
    if (file != last) // a glTF run writes every morph into one file
      t += "Written: " + printable(last = file) + "\n";
  return t.empty() ? "Nothing written: no morph was transferred\n" : t;
}

} // namespace

std::string textReport(const RunReport& report) {
  const TransferOutcome& o = *report.outcome;
  std::string t;
  t += "Tovalinder transfer: " + printable(report.input) + "\n\n";
  if (report.files)
    t += filesRead(*report.files);
  t += "  Source         " + quoted(o.sourceName) + " (" + objectSize(*o.source) + ")\n";
  t += "  Destination    " + quoted(o.destinationName) + " (" + objectSize(*o.destination) + ")" +
       (o.source == o.destination ? "  (the same object: only one was selected)" : "") + "\n";
  t += "  Dialog         listed " +
       plural(static_cast<long>(o.view.listed.size()), "element", "elements") + ", picked " +
       std::to_string(o.view.picked.size()) + "; Rate " + o.view.rateText + " (offsets x " +
       general(o.rate) + ")\n";
  t += "  Options on     " + optionsOn(o) + "\n\n";

  if (o.elements.empty()) {
    t += "No element was made (none picked).\n";
  } else {
    t += "Elements made (" + std::to_string(o.elements.size()) + "):\n";
    size_t width = 0;
    for (const ElementOutcome& e : o.elements)
      width = std::max(width, quoted(e.newName).size());
    for (const ElementOutcome& e : o.elements) {
      t += "  " + padded(quoted(e.newName), width) + "  from " + quoted(e.picked) + "; ";
      t += e.oldRemoved ? "old element removed" : "old element kept as " + quoted(e.oldNameAfter);
      t += "\n    " + plural(e.motion.moved, "vertex", "vertices") + " moved (largest " +
           general(e.motion.largest) + ")";
      if (e.faces.passRan)
        t += ", " + plural(e.faces.unpaired, "face", "faces") + " not paired of " +
             std::to_string(e.faces.considered);
      t += "\n";
    }
  }
  const VertexTally& v = o.correspondence.tally;
  t += "\nDestination vertices (" + std::to_string(v.total) + "), paired " +
       (o.settings.useUniqueIds ? "by unique ID" : "by position along the vertex order") +
       (o.settings.mirrorMorph ? " through the left/right mirror" : "") + ":\n";
  t += "  matched to a Source vertex          " + std::to_string(v.matched) + "\n";
  t += "  added, morph interpolated           " + std::to_string(v.interpolated) + "\n";
  t += "  added, left as they are             " + std::to_string(v.addedLeftAlone) + "\n";
  t += "  skipped: not selected               " + std::to_string(v.notSelected) + "\n";
  t += "  skipped: unused (in no face)        " + std::to_string(v.unused) + "\n";
  if (o.addedVertices.mode == AddedVerticesMode::Surface)
    t += "Added vertices, surface mode: " + surfaceModeCounts(o.addedVertices) + "\n";
  else if (surfaceModeSuggested(o))
    t += "Tip: " + surfaceModeSuggestion(o) + ".\n";

  t += "\nNames: ";
  if (o.sourceNameAfter == o.sourceName && o.destinationNameAfter == o.destinationName)
    t += "unchanged\n";
  else
    t += "Source " + quoted(o.sourceName) + " is now " + quoted(o.sourceNameAfter) +
         ", Destination " + quoted(o.destinationName) + " is now " +
         quoted(o.destinationNameAfter) + "\n";
  t += "Host showed: ";
  if (o.hostMessages.empty())
    t += "no message\n";
  for (const std::string& m : o.hostMessages)
    t += quoted(m) + "\n";
  bool unpaired = false;
  for (const ElementOutcome& e : o.elements)
    unpaired = unpaired || e.faces.unpaired > 0;
  const bool messageShown = !o.hostMessages.empty();
  if (unpaired != messageShown)
    t += "Note: the face counts above and the host's closing message disagree.\n";
  if (!o.hostMisuses.empty())
    t += "Note: the host noticed " +
         plural(static_cast<long>(o.hostMisuses.size()), "faulty call", "faulty calls") +
         " by the plug-in, the first: " + printable(o.hostMisuses.front()) + "\n";

  t += "\nTime:";
  for (const auto& [stage, seconds] : report.timings)
    t += " " + stage + " " + fixed(seconds, 3) + " s,";
  t.back() = '\n';
  for (const std::string& picture : report.pictures)
    t += "Picture: " + printable(picture) + "\n";
  if (!report.dialogPage.empty())
    t += "Dialog page: " + printable(report.dialogPage) + "\n";
  if (!report.viewerPage.empty())
    t += "Viewer page: " + printable(report.viewerPage) + "\n";
  if (report.files)
    t += filesWritten(report);
  else
    t += report.written ? "Written: " + printable(report.output) + "\n"
                        : "Not written (dry run): " + printable(report.output) + "\n";
  return t;
}

std::string jsonReport(const RunReport& report) {
  const TransferOutcome& o = *report.outcome;
  nlohmann::ordered_json j;
  j["ok"] = true;
  j["input"] = report.input;
  j["output"] = report.output;
  j["written"] = report.written;
  if (report.files) {
    nlohmann::ordered_json read = nlohmann::ordered_json::array(),
                           written = nlohmann::ordered_json::array();
    for (const auto& [role, file] : report.files->files)
      read.push_back({{"role", role}, {"file", file}});
    for (const auto& [morph, file] : report.files->outputs)
      written.push_back({{"morph", morph}, {"file", file}});
    j["files"] = {{"format", report.files->format},
                  {"read", read},
                  {"written", written},
                  {"notes", report.files->notes}};
  }
  j["source"] = {{"name", o.sourceName},
                 {"nameAfter", o.sourceNameAfter},
                 {"vertices", o.source->vertexCount()},
                 {"faces", o.source->faceCount()}};
  j["destination"] = {{"name", o.destinationName},
                      {"nameAfter", o.destinationNameAfter},
                      {"vertices", o.destination->vertexCount()},
                      {"faces", o.destination->faceCount()}};
  nlohmann::ordered_json options;
  for (size_t i : dialog::optionsInSettingsOrder())
    options[dialog::kDialogOptions[i].flag] = o.view.states[i];
  j["dialog"] = {{"listed", o.view.listed},
                 {"picked", o.view.picked},
                 {"rateText", o.view.rateText},
                 {"rate", o.rate},
                 {"options", options}};
  nlohmann::ordered_json elements = nlohmann::ordered_json::array();
  for (const ElementOutcome& e : o.elements) {
    nlohmann::ordered_json element = {{"from", e.picked},
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
  j["elements"] = elements;
  const VertexTally& v = o.correspondence.tally;
  j["vertices"] = {{"total", v.total},
                   {"pairedBy", o.settings.useUniqueIds ? "uniqueId" : "position"},
                   {"mirror", o.settings.mirrorMorph},
                   {"matched", v.matched},
                   {"interpolated", v.interpolated},
                   {"addedLeftAlone", v.addedLeftAlone},
                   {"notSelected", v.notSelected},
                   {"unused", v.unused}};
  const AddedVerticesSummary& added = o.addedVertices;
  if (added.mode == AddedVerticesMode::Surface)
    j["addedVertices"] = {{"mode", nameOf(added.mode)},
                          {"fromSurface", added.fromSurface},
                          {"harmonic", added.harmonic},
                          {"asThePluginMadeThem", added.kept}};
  else if (surfaceModeSuggested(o))
    j["addedVertices"] = {{"mode", nameOf(added.mode)}, {"suggestion", surfaceModeSuggestion(o)}};
  j["hostMessages"] = o.hostMessages;
  j["hostMisuses"] = o.hostMisuses;
  j["pictures"] = report.pictures;
  if (!report.dialogPage.empty())
    j["dialogPage"] = report.dialogPage;
  if (!report.viewerPage.empty())
    j["viewerPage"] = report.viewerPage;
  nlohmann::ordered_json timings;
  for (const auto& [stage, seconds] : report.timings)
    timings[stage] = seconds;
  j["seconds"] = timings;
  // What the plug-in asked of the host during its command: function name and number of calls.
  nlohmann::ordered_json calls = nlohmann::ordered_json::object();
  for (const auto& [function, count] : o.hostCalls)
    calls[function] = count;
  j["hostCalls"] = calls;
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string jsonError(int exitCode, const std::string& message) {
  nlohmann::ordered_json j;
  j["ok"] = false;
  j["exitCode"] = exitCode;
  j["error"] = message;
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

} // namespace runner
