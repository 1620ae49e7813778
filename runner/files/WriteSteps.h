// The steps of a document write, each named, with a hook through which the tests make a write
// fail (as a full disk would) or stop dead (as a kill would) at any one of them.
#pragma once

#include <functional>
#include <string>

namespace runner {

// Answers the error number to fail the step with (ENOSPC, say), or 0 to let it run; it may also
// end the process there. No hook: every step runs.
using WriteStepHook = std::function<int(const std::string& step)>;
void setWriteStepHook(WriteStepHook hook);

// Announces a step; answers the error number the hook injects (0 normally).
int writeStep(const std::string& step);

} // namespace runner
