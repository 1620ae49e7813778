// Support for the hostile-input tests of the runner: the program started as a user starts it
// (working folder, environment, umask, optionally interrupted by a signal once its progress line
// shows a text, optionally with faults injected into its file calls), and a snapshot of a folder
// (every entry's kind, permission bits, link target and content) to show that nothing but the
// expected outputs changed.
#pragma once

#include "RunnerTestSupport.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hostile {

struct Launch {
  std::vector<std::string> args;
  std::vector<std::pair<std::string, std::optional<std::string>>> environment; // set or unset
  std::optional<unsigned> umask;
  std::string fault;         // TOVALINDER_FAULT for the injection library ("write:3:ENOSPC")
  std::string openLog;       // where the injection library logs files created
  std::string interruptWhen; // send `signal` once the standard error shows this text
  int signal = 0;
  bool terminalStandardError = false; // stderr is a pseudo-terminal
  // A file in the folder whose first read waits until the standard error shows releaseWhen (a
  // slow disk); needs the injection library.
  std::string holdRead, releaseWhen;
};

struct Outcome {
  int status = -1; // exit status, or -1 when a signal ended the program
  int signal = 0;  // the signal that ended it
  std::string out, err;
};

// Runs tovalinder-run in the folder.
Outcome runRunner(const runner_test::ScratchFolder& folder, const Launch& launch);
Outcome runRunner(const runner_test::ScratchFolder& folder, const std::vector<std::string>& args);

// Path -> "kind mode size content-digest" (or "link -> target") for everything below the folder.
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const runner_test::ScratchFolder& folder);
// The entries that differ, were added or went, leaving out the expected ones; empty when
// nothing else changed.
std::string changesBesides(const Snapshot& before, const Snapshot& after,
                           const std::vector<std::string>& expected);

unsigned permissions(const std::string& path);
// The temporaries a run may leave ("*.tmp"), anywhere below the folder.
std::vector<std::string> temporaries(const runner_test::ScratchFolder& folder);

// A document whose Destination is its Source with the vertex order reversed: pairing by position
// must search the longest way (about 10,000 vertices, one element).
std::string reversedOrderDocument(int side);

} // namespace hostile
