#include "TransferRun.h"

#include "ListHint.h"
#include "SimCheck.h"
#include "SimWidgets.h"
#include "Utf8.h"
#include "dialog/DialogOptions.h"
#include "dialog/TextConversion.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <tuple>

namespace runner {

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string listOf(const std::vector<std::string>& names) {
  if (names.empty())
    return "(none)";
  std::string text;
  for (const std::string& name : names)
    text += (text.empty() ? "" : ", ") + quoted(name);
  return text;
}

sim::Object* objectNamed(const sim::Document& document, const std::string& name, const char* role) {
  std::vector<int> slots;
  for (int s = 0; s < document.slotCount(); ++s)
    if (const sim::Object* object = document.objectAt(s); object && object->name() == name)
      slots.push_back(s);
  if (slots.empty()) {
    std::vector<std::string> names;
    for (const sim::Object* object : document.objects())
      names.push_back(object->name());
    throw RunError(kExitBadInput, std::string("no object is named ") + quoted(name) + " (" + role +
                                      "); the document holds " + listOf(names));
  }
  if (slots.size() > 1) {
    std::string where;
    for (int s : slots)
      where += (where.empty() ? "" : ", ") + std::to_string(s);
    throw RunError(kExitBadInput, std::to_string(slots.size()) + " objects are named " +
                                      quoted(name) + " (slots " + where + "); the " + role +
                                      " must be named by a name only one object bears");
  }
  return document.objectAt(slots.front());
}

} // namespace

void selectByName(sim::Document& document, const std::optional<std::string>& sourceName,
                  const std::optional<std::string>& destinationName) {
  if (!sourceName && !destinationName)
    return;
  if (!sourceName)
    throw RunError(kExitUsage, "--destination needs --source: the host takes the Source as the "
                               "first selected object");
  sim::Object* source = objectNamed(document, *sourceName, "Source");
  sim::Object* destination =
      destinationName ? objectNamed(document, *destinationName, "Destination") : source;
  if (document.indexOf(destination) < document.indexOf(source))
    throw RunError(kExitBadInput,
                   "the host takes the first selected object in the object list as the Source, "
                   "but " +
                       quoted(destination->name()) + " (slot " +
                       std::to_string(document.indexOf(destination)) + ") comes before " +
                       quoted(source->name()) + " (slot " +
                       std::to_string(document.indexOf(source)) +
                       "): move the Source above the Destination in the document");
  for (sim::Object* object : document.objects())
    object->selected = 0;
  source->selected = 1;
  destination->selected = 1;
}

namespace {

// The Source and Destination as the command picks them: the first two selected objects.
std::pair<sim::Object*, sim::Object*> selectedPair(const sim::Document& document) {
  std::vector<sim::Object*> selected;
  for (sim::Object* object : document.objects())
    if (object->selected != 0 && selected.size() < 2)
      selected.push_back(object);
  if (selected.empty())
    throw RunError(kExitBadInput,
                   "no object is selected in the document's object list, so the command has no "
                   "Source: select the Source and the Destination (\"selected\": true) or name "
                   "them with --source and --destination");
  return {selected.front(), selected.back()};
}

TransferSettings settingsFrom(const DialogView& view) {
  TransferSettings settings;
  for (size_t i = 0; i < dialog::kDialogOptionCount; ++i)
    if (dialog::kDialogOptions[i].field)
      settings.*dialog::kDialogOptions[i].field = view.states[i];
  return settings;
}

// The document must be one a host could hold, and sound where the input was: a fault is the
// plug-in's (or the host's), and nothing may be written from such a document.
void checkResult(const sim::Document& document, const sim::DocumentSnapshot& input,
                 const TransferOutcome& outcome) {
  sim::CheckExpectations expected;
  expected.before = &input;
  for (const ElementOutcome& element : outcome.elements)
    expected.newElements.push_back(sim::NewElement{element.newElement, outcome.destination});
  const std::vector<std::string> findings = sim::checkDocument(document, expected);
  if (findings.empty())
    return;
  constexpr size_t kShown = 20;
  std::string text = "the document after the command is not sound (" +
                     std::to_string(findings.size()) + " findings), so nothing was written:";
  for (size_t k = 0; k < findings.size() && k < kShown; ++k)
    text += "\n  " + findings[k];
  if (findings.size() > kShown)
    text += "\n  and " + std::to_string(findings.size() - kShown) + " more";
  throw RunError(kExitFailure, text);
}

} // namespace

void checkRateText(const std::string& text) {
  if (!isTypableNumber(text))
    throw RunError(kExitUsage, "--rate " + quoted(text) +
                                   ": the Rate field takes a number such as 100, 50, -20 or 12.5");
  // The plug-in keeps the rate as a single-precision number and reads one beyond it as 0: no
  // vertex would move, which is not what the user asked for.
  if (!textconv::rateIsFinite(text))
    throw RunError(kExitUsage, "--rate " + quoted(text) +
                                   ": the Rate field cannot carry it (the largest is about 3.4e40 "
                                   "percent)");
}

float rateFromText(const std::string& text) {
  return textconv::rateFromText(text);
}

bool isTypableNumber(const std::string& text) {
  return sim::typeableNumber(text);
}

std::string defaultPluginPath() {
  return loader::shippedModule(TOVALINDER_PLUGIN_FILE_NAME);
}

namespace {

// The command run once in the document's host: strict mode on, the records cleared, the dialog
// worked by the scripted user; the host's records go to the outcome. Answers the modal runs and
// the script's failures.
std::pair<std::vector<sim::ModalRun>, std::vector<std::string>>
runCommandInHost(PluginModule& plugin, sim::Document& document, const TransferRequest& request,
                 TransferOutcome& outcome) {
  sim::Host& host = document.host();
  host.makeCurrent();
  host.setStrict(true);
  host.clearMisuses();
  host.clearWidgetRecords();
  host.setEventDocument(document.handle());
  host.queueModalScript(makeDialogScript(host, request.dialog, outcome.view));
  host.resetCallCounts();
  const auto started = std::chrono::steady_clock::now();
  plugin.runCommand(document.handle());
  outcome.dialogAndTransferSeconds = secondsSince(started);
  outcome.hostCalls = host.callCounts();
  if (request.afterCommand)
    request.afterCommand();
  for (const sim::MessageBoxRecord& box : host.messageBoxes())
    outcome.hostMessages.push_back(box.message);
  outcome.hostMisuses = host.misuses();
  auto runs = std::make_pair(host.modalRuns(), host.scriptFailures());
  host.clearModalRuns();
  host.setStrict(false);
  return runs;
}

// Stops the run when the dialog did not do what was asked, or was cancelled.
void checkDialogRun(const sim::Document& document, const TransferRequest& request,
                    const TransferOutcome& outcome, const std::vector<sim::ModalRun>& runs,
                    const std::vector<std::string>& failures) {
  if (runs.empty())
    throw RunError(kExitFailure, "the plug-in's command showed no options dialog");
  if (!outcome.view.notListed.empty())
    throw RunError(kExitBadInput, "the dialog does not list " + listOf(outcome.view.notListed) +
                                      "; it lists " + listOf(outcome.view.listed) +
                                      whyNotListed(document, *outcome.source, *outcome.destination,
                                                   outcome.view.notListed, request.dialog));
  if (!outcome.view.problem.empty())
    throw RunError(kExitFailure, "the options dialog: " + outcome.view.problem);
  if (!failures.empty())
    throw RunError(kExitFailure, "working the options dialog failed: " + failures.front());
  if (request.dialog.cancel)
    throw RunError(kExitCancelled, "cancelled in the options dialog: the document was not "
                                   "changed and nothing was written");
  if (runs.front().result != 1)
    throw RunError(kExitFailure, "the options dialog closed without OK (result " +
                                     std::to_string(runs.front().result) + ")");
}

// The document's slots and their names before the command.
struct SlotsBefore {
  std::vector<sim::Object*> objects;
  std::vector<const sim::Object*> slots;
  std::vector<std::string> names;
};

SlotsBefore slotsBefore(const sim::Document& document) {
  SlotsBefore before;
  before.objects = document.objects();
  for (int s = 0; s < document.slotCount(); ++s)
    before.slots.push_back(document.objectAt(s));
  for (const sim::Object* object : before.slots)
    before.names.push_back(object ? object->name().str() : std::string());
  return before;
}

// Each new element, with the old element it was made for and what it moved.
void collectElements(const sim::Document& document, const SlotsBefore& before,
                     TransferOutcome& outcome) {
  // New objects were inserted among the old slots; taking them out leaves the old slot order,
  // so the old slot right before a new element is the element it was made for.
  const std::set<const sim::Object*> old(before.objects.begin(), before.objects.end());
  FaceAnalysis faces(*outcome.destination, outcome.correspondence, outcome.settings);
  int oldSlots = 0;
  for (int s = 0; s < document.slotCount(); ++s) {
    const sim::Object* object = document.objectAt(s);
    if (!object || old.count(object)) {
      ++oldSlots;
      continue;
    }
    ElementOutcome element;
    element.newElement = object;
    element.newName = object->name();
    if (oldSlots > 0 && static_cast<size_t>(oldSlots) <= before.slots.size()) {
      element.oldElement = before.slots[static_cast<size_t>(oldSlots - 1)];
      element.picked = before.names[static_cast<size_t>(oldSlots - 1)];
    }
    if (element.oldElement) {
      element.oldRemoved = document.indexOf(element.oldElement) < 0;
      if (!element.oldRemoved)
        element.oldNameAfter = element.oldElement->name();
      // A removed element stays allocated by the document until it goes.
      element.faces = faces.tally(*element.oldElement, *object);
    }
    element.motion = measureMotion(*object, *outcome.destination);
    outcome.elements.push_back(element);
  }
}

} // namespace

void runTransfer(PluginModule& plugin, sim::Document& document, const TransferRequest& request,
                 TransferOutcome& outcome) {
  if (request.dialog.rateText)
    checkRateText(*request.dialog.rateText);
  selectByName(document, request.sourceName, request.destinationName);
  std::tie(outcome.source, outcome.destination) = selectedPair(document);
  outcome.sourceName = outcome.source->name();
  outcome.destinationName = outcome.destination->name();
  const SlotsBefore before = slotsBefore(document);

  const auto snapshotting = std::chrono::steady_clock::now();
  const sim::DocumentSnapshot input = sim::snapshotDocument(document);
  const double snapshotSeconds = secondsSince(snapshotting);

  const auto [runs, failures] = runCommandInHost(plugin, document, request, outcome);
  checkDialogRun(document, request, outcome, runs, failures);

  const auto checking = std::chrono::steady_clock::now();
  outcome.settings = settingsFrom(outcome.view);
  outcome.rate = rateFromText(outcome.view.rateText);
  outcome.sourceNameAfter = outcome.source->name();
  outcome.destinationNameAfter = outcome.destination->name();
  outcome.correspondence =
      analyseCorrespondence(*outcome.source, *outcome.destination, outcome.settings);
  collectElements(document, before, outcome);
  checkResult(document, input, outcome);
  outcome.checkSeconds = snapshotSeconds + secondsSince(checking);
}

} // namespace runner
