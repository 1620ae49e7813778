// The left/right mirror partners of the Destination's vertices, found through a spatial hash
// whose cells are wider than the matching tolerance, so that a partner always lies in one of the
// 27 cells around the reflected point.
#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/TransferSettings.h"
#include "transfer/VertexCorrespondence.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace transfer {
namespace {

// A matching pair differs by less than 0.0011 in every coordinate; cells stay well above that.
constexpr double kMinimumCellSize = 1.0 / 256.0;
constexpr int64_t kCellLimit = int64_t{1} << 30;

struct Cell {
  int32_t x, y, z;
  bool operator==(const Cell& o) const { return x == o.x && y == o.y && z == o.z; }
};

class CellGrid {
public:
  CellGrid(const std::vector<MQPoint>& positions, const std::vector<char>& used) {
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    size_t count = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
      if (!used[i] || !finite(positions[i]))
        continue;
      const float c[3] = {positions[i].x, positions[i].y, positions[i].z};
      for (int a = 0; a < 3; ++a) {
        low[a] = std::min(low[a], double(c[a]));
        high[a] = std::max(high[a], double(c[a]));
      }
      ++count;
    }
    // About one vertex per cell on a surface mesh.
    double extent = 0;
    for (int a = 0; a < 3 && count; ++a)
      extent = std::max(extent, high[a] - low[a]);
    cellSize_ = std::max(kMinimumCellSize, count ? extent / std::sqrt(double(count)) : 0.0);
    if (!std::isfinite(cellSize_))
      cellSize_ = std::numeric_limits<double>::max();

    size_t capacity = 16;
    while (capacity < count * 2)
      capacity *= 2;
    slots_.assign(capacity, -1);
    std::vector<int> cellOfVertex(positions.size(), -1);
    for (size_t i = 0; i < positions.size(); ++i) {
      if (!used[i] || !finite(positions[i]))
        continue;
      const Cell cell = cellOf(positions[i]);
      int id = lookup(cell);
      if (id < 0) {
        id = static_cast<int>(cells_.size());
        cells_.push_back(cell);
        slots_[probe(cell)] = id;
        starts_.push_back(0);
      }
      ++starts_[static_cast<size_t>(id)];
      cellOfVertex[i] = id;
    }
    // Counts to start offsets; members are filled in ascending vertex order.
    int sum = 0;
    for (int& s : starts_) {
      const int c = s;
      s = sum;
      sum += c;
    }
    starts_.push_back(sum);
    members_.resize(static_cast<size_t>(sum));
    std::vector<int> fill(starts_.begin(), starts_.end() - 1);
    for (size_t i = 0; i < positions.size(); ++i)
      if (cellOfVertex[i] >= 0)
        members_[static_cast<size_t>(fill[static_cast<size_t>(cellOfVertex[i])]++)] =
            static_cast<int>(i);
  }

  // The lowest used index other than self whose position matches p, or -1.
  int lowestMatch(const MQPoint& p, int self, const std::vector<MQPoint>& positions) const {
    if (!finite(p))
      return -1;
    const Cell centre = cellOf(p);
    int best = INT_MAX;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        for (int dz = -1; dz <= 1; ++dz) {
          const int id = lookup(Cell{centre.x + dx, centre.y + dy, centre.z + dz});
          if (id < 0)
            continue;
          for (int m = starts_[static_cast<size_t>(id)]; m < starts_[static_cast<size_t>(id) + 1];
               ++m) {
            const int j = members_[static_cast<size_t>(m)];
            if (j >= best)
              break;
            if (j != self && samePosition(p, positions[static_cast<size_t>(j)])) {
              best = j;
              break;
            }
          }
        }
    return best == INT_MAX ? -1 : best;
  }

private:
  static bool finite(const MQPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  }

  int32_t coordinate(float value) const {
    const double c = std::floor(double(value) / cellSize_);
    // Clamping keeps neighbouring values in neighbouring cells (it is monotone and never widens).
    return static_cast<int32_t>(std::clamp(c, double(-kCellLimit), double(kCellLimit)));
  }
  Cell cellOf(const MQPoint& p) const {
    return Cell{coordinate(p.x), coordinate(p.y), coordinate(p.z)};
  }

  size_t hash(const Cell& c) const {
    uint64_t h = uint64_t(uint32_t(c.x)) * 0x9E3779B97F4A7C15ull;
    h ^= uint64_t(uint32_t(c.y)) * 0xC2B2AE3D27D4EB4Full + (h >> 29);
    h ^= uint64_t(uint32_t(c.z)) * 0x165667B19E3779F9ull + (h >> 31);
    h ^= h >> 33;
    return static_cast<size_t>(h) & (slots_.size() - 1);
  }
  // The slot holding cell c, or the empty slot where it would go.
  size_t probe(const Cell& c) const {
    size_t s = hash(c);
    while (slots_[s] >= 0 && !(cells_[static_cast<size_t>(slots_[s])] == c))
      s = (s + 1) & (slots_.size() - 1);
    return s;
  }
  int lookup(const Cell& c) const { return slots_[probe(c)]; }

  double cellSize_ = kMinimumCellSize;
  std::vector<int> slots_;
  std::vector<Cell> cells_;
  std::vector<int> starts_;
  std::vector<int> members_;
};

} // namespace

std::vector<int> findMirrorPartners(const std::vector<MQPoint>& positions,
                                    const std::vector<char>& used) {
  const size_t n = positions.size();
  std::vector<int> partner(n, -1);
  const CellGrid grid(positions, used);
  for (size_t i = 0; i < n; ++i) {
    if (!used[i] || partner[i] >= 0)
      continue;
    const MQPoint& p = positions[i];
    if (std::fabs(p.x) < kMirrorPlaneTolerance) {
      partner[i] = static_cast<int>(i);
      continue;
    }
    const int j = grid.lowestMatch(MQPoint{-p.x, p.y, p.z}, static_cast<int>(i), positions);
    if (j < 0)
      continue;
    // The partner may already have an entry of its own: the first one stays.
    if (partner[static_cast<size_t>(j)] < 0)
      partner[static_cast<size_t>(j)] = static_cast<int>(i);
    partner[i] = j;
  }
  return partner;
}

} // namespace transfer

void Tovalinder::buildMirrorMap() {
  if (!transferSettings().mirrorMorph)
    return;
  const MQObject object = destination.object;
  const int n = std::max(0, MQObj_GetVertexCount(object));
  std::vector<MQPoint> positions(static_cast<size_t>(n), MQPoint{0, 0, 0});
  std::vector<char> used(static_cast<size_t>(n), 0);
  for (int i = 0; i < n; ++i) {
    used[static_cast<size_t>(i)] = MQObj_GetVertexRefCount(object, i) > 0;
    if (used[static_cast<size_t>(i)])
      MQObj_GetVertex(object, i, &positions[static_cast<size_t>(i)]);
  }
  const std::vector<int> partner = transfer::findMirrorPartners(positions, used);
  mirrorMap.reserve(mirrorMap.size() + partner.size());
  for (int i = 0; i < n; ++i)
    if (partner[static_cast<size_t>(i)] >= 0)
      mirrorMap.insert(i, partner[static_cast<size_t>(i)]);
}
