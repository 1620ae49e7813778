// How far the plug-in's command has got, seen from the host's side while it runs on the main
// thread: the simulated host counts every call, so the number of clones made tells how many
// element objects are set up, and the vertices written tell how many elements are moved. The
// counters are read from another thread while the plug-in raises them; a stale figure only shows
// an older state. Relies on the simulated host's call counts (sim::Host::callCounts).
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace sim {
class Host;
}

namespace runner {

class TransferWatch {
public:
  // Called on the main thread when OK is pressed: the number of elements picked and the
  // Destination's vertex count (what one element's move writes at most), in the host the command
  // runs in.
  void start(const sim::Host& host, size_t elements, int destinationVertices);
  bool started() const { return started_.load(); }
  // "making element 3 of 50", "pairing vertices", "element 17 of 50".
  std::string describe() const;

private:
  std::atomic<const sim::Host*> host_{nullptr};
  std::atomic<bool> started_{false};
  std::atomic<size_t> elements_{0};
  std::atomic<unsigned long long> vertices_{0};
  std::atomic<unsigned long long> clonesBefore_{0}, writesBefore_{0};
};

} // namespace runner
