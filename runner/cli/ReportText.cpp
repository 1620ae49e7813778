// The report's model in words, for a person at a terminal.
#include "Report.h"

#include "Printable.h"
#include "Utf8.h"
#include "dialog/DialogOptions.h"

#include <algorithm>
#include <cstdio>

namespace runner {

namespace {

using Json = ReportModel;

// Names come from documents: shown quoted, escaped where they could work the terminal.
std::string shown(const Json& text) {
  return quoted(printable(text.get<std::string>()));
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

std::string objectSize(const Json& object) {
  return plural(object["vertices"].get<long>(), "vertex", "vertices") + ", " +
         plural(object["faces"].get<long>(), "face", "faces");
}

std::string filesRead(const Json& files) {
  std::string t = "Files read (" + files["format"].get<std::string>() + "):\n";
  size_t width = 0;
  for (const Json& read : files["read"])
    width = std::max(width, printable(read["role"].get<std::string>()).size());
  for (const Json& read : files["read"])
    t += "  " + padded(printable(read["role"].get<std::string>()), width) + "  " +
         printable(read["file"].get<std::string>()) + "\n";
  for (const Json& note : files["notes"])
    t += "  Note: " + printable(note.get<std::string>()) + "\n";
  if (files.contains("warnings"))
    for (const Json& warning : files["warnings"])
      t += "  Warning: " + printable(warning.get<std::string>()) + "\n";
  return t + "\n";
}

// The expressions bound to the carried morphs, one line each, or why none was.
std::string expressionsTouched(const Json& expressions) {
  std::string t;
  for (const Json& e : expressions["changed"]) {
    t += "  Expression " + shown(e["name"]) + (e["created"].get<bool>() ? " (made)" : "") + ":";
    for (const Json& b : e["bindsAdded"])
      for (auto it = b.begin(); it != b.end(); ++it)
        if (it.key() == "node" || it.key() == "mesh")
          t += " target " + std::to_string(b["index"].get<long>()) + " of " + it.key() + " " +
               std::to_string(it.value().get<long>()) + " at " +
               general(b["weight"].get<double>()) + ",";
    t.back() = '\n';
  }
  if (expressions.contains("note"))
    t += "  Note: " + printable(expressions["note"].get<std::string>()) + "\n";
  return t.empty() ? "  None binds a carried morph.\n" : t;
}

std::string optionsOn(const Json& options) {
  std::string text;
  for (size_t i : dialog::optionsInSettingsOrder())
    if (dialog::kDialogOptions[i].field && options[dialog::kDialogOptions[i].flag].get<bool>())
      text += (text.empty() ? "" : ", ") + std::string(dialog::kDialogOptions[i].flag);
  return text.empty() ? "(none)" : text;
}

// The two objects, the dialog as it stood at OK and the options it had on.
std::string runHead(const Json& m) {
  const Json& d = m["dialog"];
  std::string t =
      "  Source         " + shown(m["source"]["name"]) + " (" + objectSize(m["source"]) + ")\n";
  t += "  Destination    " + shown(m["destination"]["name"]) + " (" + objectSize(m["destination"]) +
       ")" +
       (m["destination"].contains("sameAsSource") ? "  (the same object: only one was selected)"
                                                  : "") +
       "\n";
  t += "  Dialog         listed " +
       plural(static_cast<long>(d["listed"].size()), "element", "elements") + ", picked " +
       std::to_string(d["picked"].size()) + "; Rate " + d["rateText"].get<std::string>() +
       " (offsets x " + general(d["rate"].get<double>()) + ")\n";
  return t + "  Options on     " + optionsOn(d["options"]) + "\n\n";
}

std::string elementsMade(const Json& elements) {
  if (elements.empty())
    return "No element was made (none picked).\n";
  std::string t = "Elements made (" + std::to_string(elements.size()) + "):\n";
  size_t width = 0;
  for (const Json& e : elements)
    width = std::max(width, shown(e["name"]).size());
  for (const Json& e : elements) {
    t += "  " + padded(shown(e["name"]), width) + "  from " + shown(e["from"]) + "; ";
    t += e["oldRemoved"].get<bool>() ? "old element removed"
                                     : "old element kept as " + shown(e["oldNameAfter"]);
    t += "\n    " + plural(e["movedVertices"].get<long>(), "vertex", "vertices") +
         " moved (largest " + general(e["largestOffset"].get<double>()) + ")";
    if (e.contains("faces"))
      t += ", " + plural(e["faces"]["notPaired"].get<long>(), "face", "faces") + " not paired of " +
           std::to_string(e["faces"]["considered"].get<long>());
    t += "\n";
  }
  return t;
}

std::string verticesPaired(const Json& m) {
  const Json& v = m["vertices"];
  const auto count = [&v](const char* key) { return std::to_string(v[key].get<long>()) + "\n"; };
  std::string t =
      "\nDestination vertices (" + std::to_string(v["total"].get<long>()) + "), paired " +
      (v["pairedBy"] == "uniqueId" ? "by unique ID" : "by position along the vertex order") +
      (v["mirror"].get<bool>() ? " through the left/right mirror" : "") + ":\n";
  t += "  matched to a Source vertex          " + count("matched");
  t += "  added, morph interpolated           " + count("interpolated");
  t += "  added, left as they are             " + count("addedLeftAlone");
  t += "  skipped: not selected               " + count("notSelected");
  t += "  skipped: unused (in no face)        " + count("unused");
  if (!m.contains("addedVertices"))
    return t;
  const Json& a = m["addedVertices"];
  if (a.contains("suggestion"))
    return t + "Tip: " + a["suggestion"].get<std::string>() + ".\n";
  return t + "Added vertices, surface mode: " + std::to_string(a["fromSurface"].get<long>()) +
         " from the Source surface, " + std::to_string(a["harmonic"].get<long>()) +
         " harmonic from their neighbours, " +
         std::to_string(a["asThePluginMadeThem"].get<long>()) + " as the plug-in made them\n";
}

// The names after the run, what the host showed, and whether the two agree.
std::string namesAndHost(const Json& m) {
  const Json &s = m["source"], &d = m["destination"];
  std::string t = "\nNames: ";
  if (s["nameAfter"] == s["name"] && d["nameAfter"] == d["name"])
    t += "unchanged\n";
  else
    t += "Source " + shown(s["name"]) + " is now " + shown(s["nameAfter"]) + ", Destination " +
         shown(d["name"]) + " is now " + shown(d["nameAfter"]) + "\n";
  t += "Host showed: ";
  if (m["hostMessages"].empty())
    t += "no message\n";
  for (const Json& message : m["hostMessages"])
    t += shown(message) + "\n";
  bool unpaired = false;
  for (const Json& e : m["elements"])
    unpaired = unpaired || (e.contains("faces") && e["faces"]["notPaired"].get<long>() > 0);
  if (unpaired != !m["hostMessages"].empty())
    t += "Note: the face counts above and the host's closing message disagree.\n";
  const Json& misuses = m["hostMisuses"];
  if (!misuses.empty())
    t += "Note: the host noticed " +
         plural(static_cast<long>(misuses.size()), "faulty call", "faulty calls") +
         " by the plug-in, the first: " + printable(misuses.front().get<std::string>()) + "\n";
  return t;
}

std::string filesWritten(const Json& m) {
  const std::string output = m["output"].get<std::string>();
  if (!m["written"].get<bool>())
    return "Not written (dry run)" + (output.empty() ? "" : ": " + printable(output)) + "\n";
  if (!m.contains("files"))
    return "Written: " + printable(output) + "\n";
  std::string t, last;
  for (const Json& written : m["files"]["written"])
    if (written["file"] != last) // a glTF run writes every morph into one file
      t += "Written: " + printable(last = written["file"].get<std::string>()) + "\n";
  return t.empty() ? "Nothing written: no morph was transferred\n" : t;
}

// The time of each stage, the pictures and pages, and what was written.
std::string runRecord(const Json& m) {
  std::string t = "\nTime:";
  for (auto it = m["seconds"].begin(); it != m["seconds"].end(); ++it)
    t += " " + it.key() + " " + fixed(it.value().get<double>(), 3) + " s,";
  t.back() = '\n';
  for (const Json& picture : m["pictures"])
    t += "Picture: " + printable(picture.get<std::string>()) + "\n";
  if (m.contains("dialogPage"))
    t += "Dialog page: " + printable(m["dialogPage"].get<std::string>()) + "\n";
  if (m.contains("viewerPage"))
    t += "Viewer page: " + printable(m["viewerPage"].get<std::string>()) + "\n";
  return t + filesWritten(m);
}

// What one command of the plug-in did.
std::string pairDone(const Json& m) {
  return runHead(m) + elementsMade(m["elements"]) + verticesPaired(m) + namesAndHost(m);
}

} // namespace

std::string textOf(const ReportModel& m) {
  std::string t = "Tovalinder transfer: " + printable(m["input"].get<std::string>()) + "\n\n";
  if (m.contains("files"))
    t += filesRead(m["files"]);
  if (m.contains("expressions"))
    t += "Avatar expressions:\n" + expressionsTouched(m["expressions"]) + "\n";
  if (!m.contains("pairs"))
    return t + pairDone(m) + runRecord(m);
  const size_t count = m["pairs"].size();
  for (size_t k = 0; k < count; ++k)
    t += "Pair " + std::to_string(k + 1) + " of " + std::to_string(count) + ":\n" +
         pairDone(m["pairs"][k]) + "\n";
  return t + runRecord(m).substr(1);
}

} // namespace runner
