// Fixed-radius neighbour search by uniform grid hashing, after M. Teschner et al., "Optimized
// Spatial Hashing for Collision Detection of Deformable Objects", Vision, Modeling and
// Visualization 2003, 47-54: cells of 1/256 along each axis, wider than the matching tolerance,
// so that a matching position always lies in one of the 27 cells around the reflected point. The
// cell size does not depend on the extent of the mesh, so one far vertex cannot crowd the others
// into a few cells. Floats far from the origin are further apart than the tolerance, so there
// only equal values match and each value is a cell of its own. Vertices at one position are kept
// together and compared once.
#include "transfer/MirrorPartners.h"

#include "transfer/Tolerances.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <tuple>

namespace transfer {
namespace {

constexpr double kCellsPerUnit = 256.0;
// Past 2^52 cells (2^44 units) neighbouring floats are more than 2^20 apart.
constexpr double kNearLimit = 4503599627370496.0; // 2^52
constexpr int64_t kFarCells = int64_t{1} << 56;

int64_t cellCoordinate(float value) {
  const double cell = std::floor(double(value) * kCellsPerUnit);
  if (std::fabs(cell) < kNearLimit)
    return static_cast<int64_t>(cell);
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return value > 0 ? kFarCells + bits : -kFarCells - int64_t{bits};
}

struct Cell {
  int64_t x, y, z;
  bool operator==(const Cell& other) const { return x == other.x && y == other.y && z == other.z; }
};

Cell cellOf(const MQPoint& position) {
  return Cell{cellCoordinate(position.x), cellCoordinate(position.y), cellCoordinate(position.z)};
}

bool finite(const MQPoint& position) {
  return std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z);
}

// Open-addressing table from cell to a dense cell number.
class CellTable {
public:
  explicit CellTable(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2)
      capacity *= 2;
    slots_.assign(capacity, -1);
  }
  // The cell's number, or -1.
  int find(const Cell& cell) const { return slots_[probe(cell)]; }
  int size() const { return static_cast<int>(cells_.size()); }
  int insert(const Cell& cell) {
    const size_t slot = probe(cell);
    if (slots_[slot] < 0) {
      slots_[slot] = static_cast<int>(cells_.size());
      cells_.push_back(cell);
    }
    return slots_[slot];
  }

private:
  size_t hash(const Cell& c) const {
    uint64_t h = uint64_t(c.x) * 0x9E3779B97F4A7C15ull;
    h ^= uint64_t(c.y) * 0xC2B2AE3D27D4EB4Full + (h >> 29);
    h ^= uint64_t(c.z) * 0x165667B19E3779F9ull + (h >> 31);
    h ^= h >> 33;
    return static_cast<size_t>(h) & (slots_.size() - 1);
  }
  // The slot holding the cell, or the empty slot where it would go.
  size_t probe(const Cell& cell) const {
    size_t slot = hash(cell);
    while (slots_[slot] >= 0 && !(cells_[static_cast<size_t>(slots_[slot])] == cell))
      slot = (slot + 1) & (slots_.size() - 1);
    return slot;
  }

  std::vector<int> slots_;
  std::vector<Cell> cells_;
};

// The used finite vertices by cell, and within a cell by position: a group is the vertices at one
// exact position, ascending; a cell's groups are ordered by their lowest vertex.
class PositionGrid {
public:
  PositionGrid(const std::vector<MQPoint>& positions, const std::vector<char>& used);
  // The lowest used vertex other than self whose position matches wanted, or -1.
  int lowestMatch(const MQPoint& wanted, int self) const;

private:
  struct Group {
    MQPoint position;
    size_t first, end; // its vertices in members_
  };
  int lowestInCell(int cell, const MQPoint& wanted, int self, int best) const;

  CellTable table_;
  std::vector<int> members_;
  std::vector<Group> groups_;
  std::vector<size_t> cellGroups_; // per cell number, offsets into groups_ (one more entry)
};

PositionGrid::PositionGrid(const std::vector<MQPoint>& positions, const std::vector<char>& used)
    : table_(positions.size()) {
  // By cell, then position bits, then index: a group is a run of one position in one cell.
  struct Entry {
    int cell;
    uint32_t bits[3];
    int vertex;
    bool operator<(const Entry& o) const {
      return std::tie(cell, bits[0], bits[1], bits[2], vertex) <
             std::tie(o.cell, o.bits[0], o.bits[1], o.bits[2], o.vertex);
    }
  };
  std::vector<Entry> entries;
  for (size_t i = 0; i < positions.size(); ++i)
    if (used[i] && finite(positions[i])) {
      Entry entry{table_.insert(cellOf(positions[i])), {}, static_cast<int>(i)};
      std::memcpy(entry.bits, &positions[i], sizeof entry.bits);
      entries.push_back(entry);
    }
  std::sort(entries.begin(), entries.end());
  cellGroups_.assign(static_cast<size_t>(table_.size()) + 1, 0);
  for (size_t m = 0; m < entries.size(); ++m) {
    const Entry& entry = entries[m];
    members_.push_back(entry.vertex);
    if (m == 0 || entry.cell != entries[m - 1].cell ||
        std::memcmp(entry.bits, entries[m - 1].bits, sizeof entry.bits) != 0) {
      groups_.push_back(Group{positions[static_cast<size_t>(entry.vertex)], m, m});
      ++cellGroups_[static_cast<size_t>(entry.cell) + 1];
    }
    ++groups_.back().end;
  }
  std::partial_sum(cellGroups_.begin(), cellGroups_.end(), cellGroups_.begin());
  // Within a cell, groups by their lowest vertex, so that a search can stop early.
  for (size_t c = 0; c + 1 < cellGroups_.size(); ++c)
    std::sort(
        groups_.begin() + static_cast<std::ptrdiff_t>(cellGroups_[c]),
        groups_.begin() + static_cast<std::ptrdiff_t>(cellGroups_[c + 1]),
        [&](const Group& a, const Group& b) { return members_[a.first] < members_[b.first]; });
}

int PositionGrid::lowestInCell(int cell, const MQPoint& wanted, int self, int best) const {
  for (size_t g = cellGroups_[static_cast<size_t>(cell)];
       g < cellGroups_[static_cast<size_t>(cell) + 1]; ++g) {
    const Group& group = groups_[g];
    const int lowest = members_[group.first];
    if (lowest >= best)
      break; // every later group starts higher still
    const int candidate = lowest != self                ? lowest
                          : group.end - group.first > 1 ? members_[group.first + 1]
                                                        : INT_MAX;
    if (candidate < best && samePosition(wanted, group.position))
      best = candidate;
  }
  return best;
}

int PositionGrid::lowestMatch(const MQPoint& wanted, int self) const {
  if (!finite(wanted))
    return -1;
  const Cell centre = cellOf(wanted);
  int best = INT_MAX;
  for (int64_t dx = -1; dx <= 1; ++dx)
    for (int64_t dy = -1; dy <= 1; ++dy)
      for (int64_t dz = -1; dz <= 1; ++dz) {
        const int cell = table_.find(Cell{centre.x + dx, centre.y + dy, centre.z + dz});
        if (cell >= 0)
          best = lowestInCell(cell, wanted, self, best);
      }
  return best == INT_MAX ? -1 : best;
}

} // namespace

std::vector<int> findMirrorPartners(const std::vector<MQPoint>& positions,
                                    const std::vector<char>& used) {
  const size_t n = positions.size();
  std::vector<int> partner(n, -1);
  const PositionGrid grid(positions, used);
  for (size_t i = 0; i < n; ++i) {
    if (!used[i] || partner[i] >= 0)
      continue;
    const MQPoint& position = positions[i];
    if (std::fabs(position.x) < kMirrorPlaneTolerance) {
      partner[i] = static_cast<int>(i);
      continue;
    }
    const int found =
        grid.lowestMatch(MQPoint{-position.x, position.y, position.z}, static_cast<int>(i));
    if (found < 0)
      continue;
    // The partner may already have an entry of its own: the first one stays.
    if (partner[static_cast<size_t>(found)] < 0)
      partner[static_cast<size_t>(found)] = static_cast<int>(i);
    partner[i] = found;
  }
  return partner;
}

} // namespace transfer
