// The correspondence stages on meshes built from the fuzz bytes: positions drawn from a small
// grid (so that many coincide or mirror each other), exact copies, tiny nudges around the
// tolerance, NaN, infinities and 1e38. Invariants: the sequence alignment matches each
// Destination element with at most one Source element, in increasing order, only where the two
// positions are the same, and as many of them as the longest common subsequence allows (an
// edit script of the least length); the mirror partners are those of the plain ascending scan
// (first partner stays, the lowest-indexed candidate wins, a vertex on the plane pairs with
// itself).
#include "FuzzInput.h"
#include "transfer/MirrorPartners.h"
#include "transfer/SequenceDiff.h"
#include "transfer/Tolerances.h"

#include <cmath>
#include <limits>
#include <unordered_map>
#include <vector>

namespace {

float coordinate(fuzzing::FuzzInput& in) {
  switch (in.pick(16)) {
  case 0:
    return std::numeric_limits<float>::quiet_NaN();
  case 1:
    return in.pick(2) ? std::numeric_limits<float>::infinity()
                      : -std::numeric_limits<float>::infinity();
  case 2:
    return in.pick(2) ? 1e38f : -1e38f;
  case 3:
    return in.real(); // any bits
  case 4:             // near the tolerances
    return static_cast<float>(int(in.pick(7)) - 3) * 0.0005f;
  default:
    return static_cast<float>(int(in.pick(5)) - 2) * 0.5f;
  }
}

MQPoint point(fuzzing::FuzzInput& in, const std::vector<MQPoint>& earlier) {
  if (!earlier.empty() && in.pick(3) == 0) {
    MQPoint copy = earlier[in.pick(unsigned(earlier.size()))];
    if (in.pick(2)) // mirrored copy
      copy.x = -copy.x;
    return copy;
  }
  return MQPoint{coordinate(in), coordinate(in), coordinate(in)};
}

size_t longestCommonSubsequence(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b) {
  std::vector<std::vector<size_t>> table(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j)
      table[i][j] = transfer::samePosition(a[i - 1], b[j - 1])
                        ? table[i - 1][j - 1] + 1
                        : std::max(table[i - 1][j], table[i][j - 1]);
  return table[a.size()][b.size()];
}

// The ascending scan, written plainly with a first-entry-wins table.
std::vector<int> plainMirrorPartners(const std::vector<MQPoint>& positions,
                                     const std::vector<char>& used) {
  std::unordered_map<int, int> table;
  const int n = static_cast<int>(positions.size());
  for (int i = 0; i < n; ++i) {
    if (!used[size_t(i)] || table.count(i))
      continue;
    const MQPoint p = positions[size_t(i)];
    if (std::fabs(p.x) < transfer::kMirrorPlaneTolerance) {
      table.emplace(i, i);
      continue;
    }
    const MQPoint reflected{-p.x, p.y, p.z};
    for (int j = 0; j < n; ++j) {
      if (!used[size_t(j)] || j == i)
        continue;
      if (transfer::samePosition(reflected, positions[size_t(j)])) {
        table.emplace(j, i);
        table.emplace(i, j);
        break;
      }
    }
  }
  std::vector<int> partners(size_t(n), -1);
  for (const auto& entry : table)
    partners[size_t(entry.first)] = entry.second;
  return partners;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::FuzzInput in(data, size);
  std::vector<MQPoint> a(in.pick(48));
  std::vector<MQPoint> all;
  for (MQPoint& p : a) {
    p = point(in, all);
    all.push_back(p);
  }
  // The Destination: the Source edited, vertices kept, dropped, moved or added.
  std::vector<MQPoint> b;
  for (const MQPoint& p : a) {
    switch (in.pick(6)) {
    case 0:
      break; // deleted
    case 1:
      b.push_back(point(in, all)); // moved
      break;
    case 2:
      b.push_back(point(in, all)); // added before
      b.push_back(p);
      break;
    default:
      b.push_back(p);
    }
  }
  for (unsigned extra = in.pick(4); extra > 0; --extra)
    b.push_back(point(in, all));

  const std::vector<int> match = transfer::alignSequences(a, b);
  fuzzing::check(match.size() == b.size(), "one answer per Destination element");
  size_t matched = 0;
  int last = -1;
  for (size_t j = 0; j < b.size(); ++j) {
    if (match[j] == -1)
      continue;
    fuzzing::check(match[j] > last && match[j] < int(a.size()), "matches increase within A");
    fuzzing::check(transfer::samePosition(a[size_t(match[j])], b[j]),
                   "only the same position matches");
    last = match[j];
    ++matched;
  }
  fuzzing::check(matched == longestCommonSubsequence(a, b),
                 "the alignment keeps a longest common subsequence");

  std::vector<char> used(b.size());
  for (char& u : used)
    u = in.pick(5) != 0;
  fuzzing::check(transfer::findMirrorPartners(b, used) == plainMirrorPartners(b, used),
                 "mirror partners as the plain ascending scan finds them");
  return 0;
}
