// Large memory pages for the runner's heap, where the C library offers them.
#pragma once

namespace runner {

// On Linux with glibc, starts this program once more with the allocator asked to back its heap
// with transparent huge pages, unless that was already asked; returns when it cannot (elsewhere,
// or the restart failed), and the run goes on with ordinary pages.
void restartWithLargePages(char** argv);

} // namespace runner
