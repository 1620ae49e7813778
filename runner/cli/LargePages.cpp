#include "LargePages.h"

#include <cstdlib> // first: it tells whether the C library is glibc

#if defined(__linux__) && defined(__GLIBC__)
#include <cstring>
#include <string>
#include <unistd.h>
#endif

namespace runner {

#if defined(__linux__) && defined(__GLIBC__)
// A run at scale touches gigabytes of freshly allocated arrays (documents, clones, write buffers).
// With 4 KiB pages that is hundreds of thousands of page faults, and on virtual machines a fault
// costs microseconds: more than the run's own work. glibc backs its heap with transparent huge
// pages when its tunable asks for it, and reads tunables only when a program starts.
void restartWithLargePages(char** argv) {
  const char* const kTunable = "glibc.malloc.hugetlb";
  const char* given = std::getenv("GLIBC_TUNABLES");
  if (given && std::strstr(given, kTunable))
    return; // asked already: by this restart or by the user, whose choice stands
  const bool hadTunables = given != nullptr;
  const std::string before = hadTunables ? given : "";
  const std::string value = (before.empty() ? "" : before + ":") + kTunable + "=1";
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0)
    return;
  execv("/proc/self/exe", argv);
  // The restart failed: leave the environment as it was and run with ordinary pages.
  if (hadTunables)
    setenv("GLIBC_TUNABLES", before.c_str(), 1);
  else
    unsetenv("GLIBC_TUNABLES");
}
#else
void restartWithLargePages(char**) {}
#endif

} // namespace runner
