// Starting a program as a user starts it from a shell, in a scratch folder, and collecting its
// exit status and output (native only: POSIX shell and wait status).
#pragma once

#include "RunnerTestSupport.h"

#include <string>
#include <vector>

namespace runner_test {

struct Result {
  int status = -1;
  std::string out, err;
};

// The text as one word for a POSIX shell.
std::string shellQuoted(const std::string& text);

// Each argument is passed as one word, quoted for the shell.
Result runProgram(const std::string& program, const std::vector<std::string>& args,
                  const ScratchFolder& dir);

} // namespace runner_test
