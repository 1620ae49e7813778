// Prints this machine's memory rates in GB/s: copying and filling memory already in use (best of
// several passes over buffers far larger than the caches), and filling memory fresh from the
// kernel on huge pages, as the runner's heap gets it (page faults and the kernel's zeroing
// included; best of several fresh regions). They are the floors under any stage that must copy,
// write or newly allocate its data.
// Output: one line for scripts, e.g. "copy 5.21 fill 9.87 fresh 1.20".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <vector>

namespace {

constexpr size_t kBytes = size_t(512) << 20;
constexpr int kPasses = 5;

volatile char sink; // reads of what each pass wrote, so that no pass can be left out

template <typename Pass> double bestRate(Pass pass) {
  double best = 0;
  for (int i = 0; i < kPasses; ++i) {
    const auto start = std::chrono::steady_clock::now();
    pass(i);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::max(best, double(kBytes) / took.count() / 1e9);
  }
  return best;
}

// Fills a region fresh from the kernel, on huge pages where the kernel has them. The regions are
// kept until the end, so that each pass gets pages no earlier pass had: on a virtual machine a
// page the guest has not touched before may cost the hypervisor's work as well.
std::vector<void*> freshRegions;
void fillFresh(int pass) {
  void* region = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED)
    return;
  freshRegions.push_back(region);
  madvise(region, kBytes, MADV_HUGEPAGE);
  std::memset(region, pass + 1, kBytes);
  sink = static_cast<char*>(region)[(pass * kBytes) / kPasses];
}

} // namespace

int main() {
  // Touched once before timing, so that their page faults are not counted.
  std::vector<char> from(kBytes, 1), to(kBytes, 2);
  const double copy = bestRate([&](int pass) {
    std::memcpy(to.data(), from.data(), kBytes);
    sink = to[(pass * kBytes) / kPasses];
  });
  const double fill = bestRate([&](int pass) {
    std::memset(to.data(), pass + 3, kBytes);
    sink = to[(pass * kBytes) / kPasses];
  });
  const double fresh = bestRate(fillFresh);
  for (void* region : freshRegions)
    munmap(region, kBytes);
  std::printf("copy %.2f fill %.2f fresh %.2f\n", copy, fill, fresh);
  return 0;
}
