// The runner restarts itself once with its allocator tuned for large arrays: whatever allocator
// tunables the user gave, it runs to the end, keeps the user's choice and writes the same bytes.
#include "ProgramRun.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace runner_test;

namespace {

// The sample's transfer with GLIBC_TUNABLES set as given (unset when empty); returns the document.
std::string transferWithTunables(const std::string& tunables, const ScratchFolder& dir) {
  std::vector<std::string> args;
  if (!tunables.empty())
    args.push_back("GLIBC_TUNABLES=" + tunables);
  else
    args.insert(args.end(), {"-u", "GLIBC_TUNABLES"});
  args.insert(args.end(), {TOVALINDER_RUNNER_FILE, samplePath(), "--output", "out.json"});
  const Result r = runProgram("/usr/bin/env", args, dir);
  EXPECT_EQ(r.status, 0) << tunables << "\n" << r.err;
  return readFile(dir.file("out.json"));
}

} // namespace

TEST(RunnerHeap, AnyTunablesTheUserGaveRunToTheSameDocument) {
  ScratchFolder dir;
  const std::string plain = transferWithTunables("", dir);
  ASSERT_FALSE(plain.empty());
  for (const char* tunables :
       {"glibc.malloc.hugetlb=0", "glibc.malloc.perturb=0",
        "glibc.malloc.tcache_count=0:glibc.malloc.hugetlb=1", "not.a.tunable=1"})
    EXPECT_TRUE(transferWithTunables(tunables, dir) == plain) << tunables;
}
