// Prints this machine's memory copy and fill rates (bytes per second, best of several passes over
// buffers far larger than the caches): the floor under any stage that must copy or write its data.
// Output: one line "copy GB/s fill GB/s" for scripts, e.g. "copy 5.21 fill 9.87".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kBytes = size_t(512) << 20;
constexpr int kPasses = 5;

volatile char sink; // reads of the results, so that no pass can be left out

template <typename Pass> double bestRate(const std::vector<char>& result, Pass pass) {
  double best = 0;
  for (int i = 0; i < kPasses; ++i) {
    const auto start = std::chrono::steady_clock::now();
    pass();
    sink = result[(i * kBytes) / kPasses];
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::max(best, double(kBytes) / took.count() / 1e9);
  }
  return best;
}

} // namespace

int main() {
  // Touched once before timing, so that page faults are not counted.
  std::vector<char> from(kBytes, 1), to(kBytes, 2);
  char value = 0;
  const double copy = bestRate(to, [&] { std::memcpy(to.data(), from.data(), kBytes); });
  const double fill = bestRate(to, [&] { std::memset(to.data(), ++value, kBytes); });
  std::printf("copy %.2f fill %.2f\n", copy, fill);
  return 0;
}
