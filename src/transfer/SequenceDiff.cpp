// The greedy shortest-edit-script search over two position sequences. The search front holds,
// per diagonal, the furthest y reached and the last matched run of the path that got there; runs
// are shared between paths and freed once no path reaches them, so memory follows the live part
// of the search instead of every step it explored. Off the matched runs every element of b is
// unmatched, which is all the walk back needs.
#include "transfer/VertexCorrespondence.h"

#include <cmath>

namespace transfer {
namespace {

constexpr int kNone = -1;

class RunPool {
public:
  struct Run {
    int xEnd;
    int yEnd;
    int length;
    int previous;
    int references;
  };

  int make(int xEnd, int yEnd, int length, int previous) {
    retain(previous);
    const Run run{xEnd, yEnd, length, previous, 1};
    if (!free_.empty()) {
      const int id = free_.back();
      free_.pop_back();
      runs_[static_cast<size_t>(id)] = run;
      return id;
    }
    runs_.push_back(run);
    return static_cast<int>(runs_.size()) - 1;
  }
  void retain(int id) {
    if (id != kNone)
      ++runs_[static_cast<size_t>(id)].references;
  }
  void release(int id) {
    while (id != kNone && --runs_[static_cast<size_t>(id)].references == 0) {
      free_.push_back(id);
      id = runs_[static_cast<size_t>(id)].previous;
    }
  }
  const Run& operator[](int id) const { return runs_[static_cast<size_t>(id)]; }

private:
  std::vector<Run> runs_;
  std::vector<int> free_;
};

// A position's cells of 1/256 along each axis, one byte per axis (modulo 256). Matching
// positions differ by less than 0.0011 per axis, so their cells differ by at most one: keys whose
// cells differ by more on some axis cannot match, and most comparisons end on these 4 bytes.
uint32_t cellKey(const MQPoint& p) {
  auto cell = [](float v) -> uint32_t {
    const double c = std::floor(double(v) * 256.0);
    if (!(c > -1e15 && c < 1e15))
      return 0; // not finite or far out: left to the full comparison
    return static_cast<uint32_t>(static_cast<int64_t>(c)) & 0xFFu;
  };
  return cell(p.x) | cell(p.y) << 8 | cell(p.z) << 16;
}

bool cellsAdjacent(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t d = ((a >> shift) - (b >> shift)) & 0xFFu;
    if (d > 1 && d < 0xFFu)
      return false;
  }
  return true;
}

std::vector<uint32_t> cellKeys(const std::vector<MQPoint>& points) {
  std::vector<uint32_t> keys(points.size());
  for (size_t i = 0; i < points.size(); ++i)
    keys[i] = cellKey(points[i]);
  return keys;
}

// Furthest point of one diagonal: its y (-1: never reached) and its path's last matched run.
struct FrontEntry {
  int y;
  int run;
};

} // namespace

std::vector<int> alignSequences(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b) {
  const int m = static_cast<int>(a.size());
  const int n = static_cast<int>(b.size());
  const std::vector<uint32_t> keyA = cellKeys(a), keyB = cellKeys(b);
  auto same = [&](int x, int y) {
    return cellsAdjacent(keyA[static_cast<size_t>(x)], keyB[static_cast<size_t>(y)]) &&
           samePosition(a[static_cast<size_t>(x)], b[static_cast<size_t>(y)]);
  };
  // Diagonals k = y - x from -m to n + 1.
  std::vector<FrontEntry> front(static_cast<size_t>(m) + static_cast<size_t>(n) + 2,
                                FrontEntry{-1, kNone});
  RunPool runs;
  auto at = [&](int k) -> FrontEntry& {
    FrontEntry& entry = front[static_cast<size_t>(k + m)];
    if (entry.y < 0)
      entry = FrontEntry{0, kNone}; // an unreached diagonal starts every path at (0, 0)
    return entry;
  };
  auto drop = [&](int k) {
    if (k < -m || k > n + 1)
      return;
    FrontEntry& entry = front[static_cast<size_t>(k + m)];
    if (entry.y >= 0)
      runs.release(entry.run);
    entry = FrontEntry{-1, kNone};
  };

  int last = kNone;
  bool found = false;
  for (int d = 0; d <= m + n && !found; ++d) {
    const int kmin = d <= m ? -d : d - 2 * m;
    const int kmax = d <= n ? d : 2 * n - d;
    for (int k = kmin; k <= kmax; k += 2) {
      int y;
      int run;
      if (k == -d || (k != d && at(k - 1).y < at(k + 1).y)) {
        const FrontEntry& from = at(k + 1);
        y = from.y;
        run = from.run;
      } else {
        const FrontEntry& from = at(k - 1);
        y = from.y + 1;
        run = from.run;
      }
      int x = y - k;
      const int x0 = x;
      while (x < m && y < n && same(x, y)) {
        ++x;
        ++y;
      }
      if (x > x0)
        run = runs.make(x, y, x - x0, run);
      else
        runs.retain(run);
      FrontEntry& slot = front[static_cast<size_t>(k + m)];
      if (slot.y >= 0)
        runs.release(slot.run);
      slot = FrontEntry{y, run};
      if (x >= m && y >= n) {
        last = run;
        found = true;
        break;
      }
    }
    // Diagonals that have left the search band are never read again.
    if (!found) {
      if (d > m)
        drop(d - 2 * m - 1);
      if (d > n)
        drop(2 * n - d + 1);
    }
  }

  std::vector<int> matched(static_cast<size_t>(n), -1);
  for (int r = last; r != kNone; r = runs[r].previous) {
    const RunPool::Run& run = runs[r];
    for (int i = 0; i < run.length; ++i)
      matched[static_cast<size_t>(run.yEnd - 1 - i)] = run.xEnd - 1 - i;
  }
  return matched;
}

} // namespace transfer
