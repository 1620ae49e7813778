// The runner's heap tuned for runs at scale, where the C library allows it.
#pragma once

namespace runner {

// On Linux with glibc, starts this program once more with the allocator tuned for gigabyte arrays
// (transparent huge pages, freed memory kept for reuse), unless the allocator's tunables already
// name huge pages; returns when it cannot (elsewhere, or the restart failed), and the run goes on
// with the allocator as it is.
void restartWithTunedHeap(char** argv);

} // namespace runner
