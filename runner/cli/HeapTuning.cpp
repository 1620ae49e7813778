#include "HeapTuning.h"

#include <cstdlib> // first: it tells whether the C library is glibc

#if defined(__linux__) && defined(__GLIBC__)
#include <cstring>
#include <string>
#include <unistd.h>
#endif

namespace runner {

#if defined(__linux__) && defined(__GLIBC__)
// A run at scale allocates gigabytes of arrays (documents, clones, write buffers), and every page
// fresh from the kernel costs a fault and the kernel's zeroing; on virtual machines a fault costs
// microseconds, more than the run's own work. So the heap is backed by transparent huge pages
// (one fault per 2 MiB), and large blocks come from the heap and go back to it instead of to the
// kernel, to be reused by the next array. glibc reads these tunables only when a program starts.
void restartWithTunedHeap(char** argv) {
  const char* const kHugePages = "glibc.malloc.hugetlb";
  const char* const kTunables = "glibc.malloc.hugetlb=1"
                                ":glibc.malloc.mmap_threshold=4294967295"
                                ":glibc.malloc.trim_threshold=4294967295"
                                ":glibc.malloc.top_pad=268435456";
  const char* given = std::getenv("GLIBC_TUNABLES");
  if (given && std::strstr(given, kHugePages))
    return; // tuned already: by this restart or by the user, whose choice stands
  const bool hadTunables = given != nullptr;
  const std::string before = hadTunables ? given : "";
  const std::string value = (before.empty() ? "" : before + ":") + kTunables;
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0)
    return;
  execv("/proc/self/exe", argv);
  // The restart failed: leave the environment as it was and run with the allocator as it is.
  if (hadTunables)
    setenv("GLIBC_TUNABLES", before.c_str(), 1);
  else
    unsetenv("GLIBC_TUNABLES");
}
#else
void restartWithTunedHeap(char**) {}
#endif

} // namespace runner
