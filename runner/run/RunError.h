// How a run ends: its exit codes, and the reason to stop that carries one. Every layer above the
// files layer stops a run by throwing RunError; the program turns it into the exit status.
#pragma once

#include <stdexcept>
#include <string>

namespace runner {

enum ExitCode {
  kExitOk = 0,
  kExitFailure = 1,   // the plug-in could not be run, or a file could not be written
  kExitUsage = 2,     // the command line cannot be understood
  kExitBadInput = 3,  // the document or a name in it does not allow the run
  kExitCancelled = 4, // the dialog was cancelled: nothing changed, nothing written
};

// A reason to stop, with the exit code it leads to.
class RunError : public std::runtime_error {
public:
  RunError(int exitCode, const std::string& what) : std::runtime_error(what), code(exitCode) {}
  int code;
};

} // namespace runner
