// The files of one run: where the Source, its morphs and the Destination come from, and how the
// result goes back to disk in the same format. The format follows the file extension: the JSON
// document (.json and anything else), or glTF (.gltf, .glb, .vrm). Relies on the document and
// glTF readers and writers and on the simulated host's document API.
#pragma once

#include "CommandLine.h"
#include "SimHost.h"
#include "TransferRun.h"

#include <memory>
#include <string>
#include <vector>

namespace runner {

// The Source and Destination a reader chose itself (then selected in the object list, in that
// order); null when the document's own selection and --source/--destination decide.
struct RunObjects {
  sim::Object* source = nullptr;
  sim::Object* destination = nullptr;
};

struct InputMesh {
  std::string role; // "Source" or "Destination"
  std::string file, name;
  size_t mesh = 0; // index in the file's meshes
  size_t fileVertices = 0, hostVertices = 0, triangles = 0;
  std::vector<std::string> targets;
};

// What was read, for the reports; empty for the JSON document (its reports stay as they were).
struct InputSummary {
  std::string format; // "glTF"
  std::vector<std::string> files;
  std::vector<InputMesh> meshes;
  std::vector<std::string> skipped; // primitives that are not triangles
  std::vector<std::string> notes;
  bool empty() const { return format.empty(); }
};

class RunFiles {
public:
  virtual ~RunFiles() = default;
  // Fills an empty document; says which objects are the Source and Destination when it chose
  // them. Throws DocumentError (a bad file) or RunError (a name that does not fit).
  virtual void read(sim::Document& document, RunObjects& objects) = 0;
  // Refuses, before anything runs, outputs that would harm an input (RunError, usage code).
  virtual void checkOutputs() const = 0;
  // Writes the result, whole or not at all. Throws DocumentError.
  virtual void write(const sim::Document& document, const TransferOutcome& outcome) = 0;
  virtual InputSummary summary() const = 0;
  // False for formats without vertex unique IDs: the run pairs vertices by position.
  virtual bool hasUniqueIds() const = 0;
};

// By file extension. Throws RunError (usage) for inputs that cannot go together.
std::unique_ptr<RunFiles> openRunFiles(const CommandLine& line);

} // namespace runner
