// The files of one run: where the Source, its morphs and the Destination come from, and how the
// result goes back to disk in the same format. The runner's flow (read, check, transfer, write,
// report) stays the same for every format; each format is one implementation of RunFiles.
// Relies on the simulated host's document and the transfer's outcome (TransferRun.h).
#pragma once

#include "SimHost.h"
#include "TransferRun.h"

#include <string>
#include <utility>
#include <vector>

namespace runner {

// The two objects a run works on, once read.
struct RunObjects {
  sim::Object* source = nullptr;
  sim::Object* destination = nullptr;
};

// What a run read and wrote, for the reports.
struct InputSummary {
  std::string format;                                       // "obj"
  std::vector<std::pair<std::string, std::string>> files;   // role ("Source", "morph smile"), file
  std::vector<std::pair<std::string, std::string>> outputs; // morph, file written (or to write)
  std::vector<std::string> notes; // parts of the files that were not read, and why
};

class RunFiles {
public:
  virtual ~RunFiles() = default;
  // Fills an empty document: the Source with one element object per morph
  // ("elem:<morph>-<Source name>"), then the Destination, both selected in the object list.
  // Throws DocumentError (bad input).
  virtual void read(sim::Document& document, RunObjects& objects) = 0;
  // Refuses, before anything runs, outputs that would harm an input or replace a file without
  // --force: RunError with the usage exit code.
  virtual void checkOutputs() const = 0;
  // Writes the result, each file whole or not at all. Throws DocumentError.
  virtual void write(const sim::Document& document, const TransferOutcome& outcome) = 0;
  virtual InputSummary summary() const = 0;
  // False for formats without vertex unique IDs: the run then pairs by position.
  virtual bool hasUniqueIds() const = 0;
};

} // namespace runner
