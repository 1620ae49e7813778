// One run of the runner from its command line: files checked, the document read, the command
// run through the plug-in, the pictures and the dialog page staged, the document written, the
// staged files put in place and the report printed. Nothing is written unless the whole run
// succeeds.
#pragma once

#include "CommandLine.h"

namespace runner {

// Answers the exit status; throws RunError for a run that stops.
int runCommandLine(const CommandLine& line);

} // namespace runner
