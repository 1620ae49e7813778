// The greedy shortest-edit-script search of E. W. Myers, "An O(ND) Difference Algorithm and Its
// Variations", Algorithmica 1 (1986) 251-266, over two position sequences a and b. Diagonal k
// holds the points with k = (elements of b consumed) - (elements of a consumed). The search front
// keeps, per diagonal, how far into b it got and the last matched run of the path that got there;
// runs are shared between paths and freed once no path reaches them, so memory follows the live
// part of the search instead of every step it explored. Off the matched runs every element of b
// is unmatched, which is all the walk back needs.
#include "transfer/SequenceDiff.h"

#include "transfer/Tolerances.h"

#include <cmath>
#include <cstdint>

namespace transfer {
namespace {

constexpr int kNoRun = -1;

// Matched runs (diagonal stretches of equal elements), reference counted and recycled.
class RunPool {
public:
  struct Run {
    int aEnd; // one past the run's last element in a
    int bEnd; // one past the run's last element in b
    int length;
    int previous; // the run before it on the same path
    int references;
  };

  int make(int aEnd, int bEnd, int length, int previous) {
    retain(previous);
    const Run run{aEnd, bEnd, length, previous, 1};
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
    if (id != kNoRun)
      ++runs_[static_cast<size_t>(id)].references;
  }
  void release(int id) {
    while (id != kNoRun && --runs_[static_cast<size_t>(id)].references == 0) {
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
  auto cell = [](float value) -> uint32_t {
    const double scaled = std::floor(double(value) * 256.0);
    if (!(scaled > -1e15 && scaled < 1e15))
      return 0; // not finite or far out: left to the full comparison
    return static_cast<uint32_t>(static_cast<int64_t>(scaled)) & 0xFFu;
  };
  return cell(p.x) | cell(p.y) << 8 | cell(p.z) << 16;
}

bool cellsAdjacent(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t apart = ((a >> shift) - (b >> shift)) & 0xFFu;
    if (apart > 1 && apart < 0xFFu)
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

// The furthest point of one diagonal: its depth in b (-1: never reached) and its path's last run.
struct FrontEntry {
  int bDepth;
  int run;
};

class EditSearch {
public:
  EditSearch(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b)
      : a_(a), b_(b), aLength_(static_cast<int>(a.size())), bLength_(static_cast<int>(b.size())),
        aKeys_(cellKeys(a)), bKeys_(cellKeys(b)),
        front_(a.size() + b.size() + 2, FrontEntry{-1, kNoRun}) {}

  // Runs the search to the end of both sequences; answers the last run of the path found.
  int run() {
    for (int edits = 0; edits <= aLength_ + bLength_; ++edits) {
      const int lowest = edits <= aLength_ ? -edits : edits - 2 * aLength_;
      const int highest = edits <= bLength_ ? edits : 2 * bLength_ - edits;
      for (int diagonal = lowest; diagonal <= highest; diagonal += 2)
        if (extend(edits, diagonal))
          return front_[index(diagonal)].run;
      // Diagonals that have left the search band are never read again.
      if (edits > aLength_)
        drop(edits - 2 * aLength_ - 1);
      if (edits > bLength_)
        drop(2 * bLength_ - edits + 1);
    }
    return kNoRun;
  }

  // Element j of b is matched with element matched[j] of a along the path ending in run last.
  std::vector<int> matches(int last) const {
    std::vector<int> matched(b_.size(), -1);
    for (int id = last; id != kNoRun; id = runs_[id].previous) {
      const RunPool::Run& run = runs_[id];
      for (int i = 0; i < run.length; ++i)
        matched[static_cast<size_t>(run.bEnd - 1 - i)] = run.aEnd - 1 - i;
    }
    return matched;
  }

private:
  size_t index(int diagonal) const {
    const int fromLowest = diagonal + aLength_; // never negative: diagonals start at -aLength_
    return static_cast<size_t>(fromLowest);
  }

  // An unreached diagonal starts every path at (0, 0).
  FrontEntry& at(int diagonal) {
    FrontEntry& entry = front_[index(diagonal)];
    if (entry.bDepth < 0)
      entry = FrontEntry{0, kNoRun};
    return entry;
  }

  void drop(int diagonal) {
    if (diagonal < -aLength_ || diagonal > bLength_ + 1)
      return;
    FrontEntry& entry = front_[index(diagonal)];
    if (entry.bDepth >= 0)
      runs_.release(entry.run);
    entry = FrontEntry{-1, kNoRun};
  }

  bool same(int aAt, int bAt) const {
    return cellsAdjacent(aKeys_[static_cast<size_t>(aAt)], bKeys_[static_cast<size_t>(bAt)]) &&
           samePosition(a_[static_cast<size_t>(aAt)], b_[static_cast<size_t>(bAt)]);
  }

  // One step of the search onto a diagonal, then the slide along equal elements; true when the
  // step reaches the end of both sequences.
  bool extend(int edits, int diagonal) {
    FrontEntry from;
    int bAt;
    if (diagonal == -edits ||
        (diagonal != edits && at(diagonal - 1).bDepth < at(diagonal + 1).bDepth)) {
      from = at(diagonal + 1); // a step along a: an element of a is skipped
      bAt = from.bDepth;
    } else {
      from = at(diagonal - 1); // a step along b: an element of b has no partner
      bAt = from.bDepth + 1;
    }
    int aAt = bAt - diagonal;
    const int slideStart = aAt;
    while (aAt < aLength_ && bAt < bLength_ && same(aAt, bAt)) {
      ++aAt;
      ++bAt;
    }
    int run = from.run;
    if (aAt > slideStart)
      run = runs_.make(aAt, bAt, aAt - slideStart, run);
    else
      runs_.retain(run);
    FrontEntry& slot = front_[index(diagonal)];
    if (slot.bDepth >= 0)
      runs_.release(slot.run);
    slot = FrontEntry{bAt, run};
    return aAt >= aLength_ && bAt >= bLength_;
  }

  const std::vector<MQPoint>& a_;
  const std::vector<MQPoint>& b_;
  const int aLength_;
  const int bLength_;
  const std::vector<uint32_t> aKeys_, bKeys_;
  std::vector<FrontEntry> front_; // diagonals -aLength_ .. bLength_ + 1
  RunPool runs_;
};

} // namespace

std::vector<int> alignSequences(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b) {
  EditSearch search(a, b);
  return search.matches(search.run());
}

} // namespace transfer
