// The files of one run in one format: where the Source, its morphs and the Destination come from,
// and how the result goes back to disk in the same format. The runner's flow (check, read,
// transfer, write, report) is the same for every format; each format (a document file, glTF and
// VRM, an OBJ set) is one implementation of RunFiles in a folder of its own, reading and writing
// through the files layer. Relies on the simulated host's document, the transfer's outcome
// (TransferRun.h) and the files layer's checks (FileSafety.h).
#pragma once

#include "FileProgress.h"
#include "FileSafety.h"
#include "OutputSet.h"
#include "SimHost.h"
#include "TransferRun.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace runner {

// What a command line says about the files of a run, as given.
struct FileArguments {
  std::vector<std::string> inputs;                // files named without an option
  std::optional<std::string> source, destination; // --source, --destination
  std::vector<std::string> morphs;                // --morph
  std::string output;                             // -o (empty: the format's default)
  std::string outputFolder;                       // --output-dir
  std::string layout;                             // --layout (empty: the format's default)
  bool force = false, dryRun = false;
  bool expressions = true; // an avatar's expressions bound to the morphs carried
};

// An expression of an avatar (a named blend of morphs) that the run bound to the morphs it
// carried, in the output: its name there, whether the run made it, and the binds it added.
struct ExpressionBind {
  std::string on; // "node" or "mesh": what `target` counts
  long target = -1;
  size_t index = 0;  // the morph target
  double weight = 0; // as the output's version writes it
};
struct ExpressionChange {
  std::string name;
  bool created = false;
  std::vector<ExpressionBind> binds;
};

// What a run read and wrote, for the reports.
struct InputSummary {
  std::string format; // "document", "glTF", "OBJ"
  std::string input;  // the file the report names the run after
  std::string output; // the file or folder written (or to write)
  // Whether the report lists the files below (a document run reads and writes one file each).
  bool listsFiles = true;
  std::vector<std::pair<std::string, std::string>> files;   // role ("Source", "morph smile"), file
  std::vector<std::pair<std::string, std::string>> outputs; // morph, file written (or to write)
  std::vector<std::string> notes;    // parts of the files that were not read, and why
  std::vector<std::string> warnings; // what the run did that the user may not expect
  // Source meshes with morphs that an avatar run left alone (no namesake in the Destination).
  std::vector<std::string> unpaired;
  // Expressions, when the Source has some: those touched, or why none was.
  bool hasExpressions = false;
  std::vector<ExpressionChange> expressions;
  std::string expressionsNote;
};

class RunFiles {
public:
  virtual ~RunFiles() = default;
  // The files the run reads, known before anything is read (a document's side file is looked for
  // only when `outputsExist`: a file that does not exist yet cannot be an input), and the files it
  // writes (none for a dry run). The runner checks them against each other before the run.
  virtual std::vector<FileGroup> inputs(bool outputsExist) const = 0;
  virtual std::vector<FileGroup> outputs() const = 0;
  // The format's own rules on its outputs (the kind of file, replacing files only with --force):
  // RunError with the usage exit code, before anything runs.
  virtual void checkOutputs() const = 0;
  // Fills an empty document: the Source with one element object per morph
  // ("elem:<morph>-<Source name>"), then the Destination; the two are selected in the object list
  // (by the file itself, or by the names the command line gave).
  // Throws FileError (bad input) or RunError.
  virtual void read(sim::Document& document, const FileProgress& progress) = 0;
  // Most runs carry one Source onto one Destination. An avatar's run carries several mesh pairs,
  // one command of the plug-in each, in a document of its own: how many is known once read() has
  // filled the first pair's document; readPair() fills the others' (pair 1 and on). write() is
  // then called once per pair, in order, and the last call stages the output.
  virtual size_t pairCount() const { return 1; }
  virtual void readPair(size_t pair, sim::Document& document);
  // Stages the result in the run's output set, which the runner commits with the run's other
  // outputs once everything is staged. Throws FileError.
  virtual void write(const sim::Document& document, const TransferOutcome& outcome,
                     OutputSet& outputs, const FileProgress& progress) = 0;
  virtual InputSummary summary() const = 0;
  // False for formats without vertex unique IDs: the run then pairs by position.
  virtual bool hasUniqueIds() const = 0;
};

// The output's name when the command line names none: "<input name>-transferred<extension>" in
// the current folder.
std::string defaultOutputName(const std::string& input, const std::string& extension);

} // namespace runner
