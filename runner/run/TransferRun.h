// One morph transfer on a document, the way a modeler runs it in the host: Source and
// Destination taken from the object-list selection (or selected by name), the real plug-in's
// command run, its options dialog worked by the scripted user, and the outcome measured from the
// document afterwards. Relies on the host-side loader, the simulated host and its widgets, and
// the plug-in's own Rate reading.
#pragma once

#include "AddedVertices.h"
#include "DialogScript.h"
#include "PluginModule.h"
#include "RunAnalysis.h"
#include "RunError.h"
#include "SimHost.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace runner {

using loader::PluginModule;

struct TransferRequest {
  std::optional<std::string> sourceName, destinationName;
  DialogChoices dialog;
  std::function<void()> afterCommand; // called once the plug-in's command has returned
};

struct ElementOutcome {
  std::string picked;       // the old element's name when it was picked
  std::string newName;      // the new element's name
  std::string oldNameAfter; // the old element's name after the run
  bool oldRemoved = false;
  const sim::Object* oldElement = nullptr; // stays readable until the document goes
  const sim::Object* newElement = nullptr;
  MotionTally motion;
  FaceTally faces;
};

struct TransferOutcome {
  const sim::Object* source = nullptr;
  const sim::Object* destination = nullptr;
  std::string sourceName, destinationName;           // before the run
  std::string sourceNameAfter, destinationNameAfter; // after it
  DialogView view;
  TransferSettings settings; // the options as the dialog showed them at OK
  float rate = 1.0f;
  Correspondence correspondence;
  std::vector<ElementOutcome> elements;
  AddedVerticesSummary addedVertices;    // what a mode other than the plug-in's own changed
  std::vector<std::string> hostMessages; // message boxes the host showed
  std::vector<std::string> hostMisuses;  // host calls the simulated host found faulty
  std::map<std::string, unsigned long long> hostCalls; // host function -> calls by the plug-in
  double dialogAndTransferSeconds = 0, checkSeconds = 0;
};

// Runs the command on the document, filling the outcome as it goes (what the dialog showed stays
// there when the run stops). Throws RunError (bad input, cancel, plug-in failure).
void runTransfer(PluginModule& plugin, sim::Document& document, const TransferRequest& request,
                 TransferOutcome& outcome);

// Selects the named objects in the object list, and only them, as a person would click them; no
// names: the document's own selection stays. Throws RunError (bad input, or a Destination named
// without a Source).
void selectByName(sim::Document& document, const std::optional<std::string>& source,
                  const std::optional<std::string>& destination);

// Refuses a Rate text a person could not type into the field, or one beyond what the field
// carries: RunError(kExitUsage) naming --rate.
void checkRateText(const std::string& text);

// The rate the plug-in takes from a Rate text (the plug-in's own reading of it).
float rateFromText(const std::string& text);
// Whether a person can type this text into the dialog's number field (the host's own rule).
bool isTypableNumber(const std::string& text);
// The plug-in's file beside the running program.
std::string defaultPluginPath();

} // namespace runner
