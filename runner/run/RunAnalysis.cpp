#include "RunAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace runner {

namespace {

// Squared distance below this counts as the same position (0.001f * 0.001f).
const float kMatchTolerance = 0.001f * 0.001f;
const float kMirrorPlane = 0.001f;

bool positionsMatch(const MQPoint& p, const MQPoint& q) {
  const float dy = p.y - q.y, dx = p.x - q.x, dz = p.z - q.z;
  const float distance = dy * dy + dx * dx + dz * dz;
  return distance < kMatchTolerance;
}

std::vector<int> usedVertices(const sim::Object& object) {
  std::vector<int> used;
  for (int v = 0; v < object.vertexCount(); ++v)
    if (object.refCount(v) > 0)
      used.push_back(v);
  return used;
}

// Left/right partners on the Destination: a vertex on the plane x = 0 is its own partner; any
// other takes the lowest-indexed used vertex at its reflection. A grid of cells wider than the
// tolerance finds the candidates without a quadratic scan.
std::unordered_map<int, int> mirrorPartners(const sim::Object& object) {
  const float cell = 0.002f;
  auto key = [cell](float x, float y, float z) {
    auto c = [cell](float value) {
      return static_cast<std::int64_t>(std::floor(std::clamp(value / cell, -1e9f, 1e9f)));
    };
    return (c(x) * 73856093) ^ (c(y) * 19349663) ^ (c(z) * 83492791);
  };
  std::unordered_multimap<std::int64_t, int> grid;
  const int n = object.vertexCount();
  for (int j = 0; j < n; ++j) {
    const MQPoint& p = object.positions[static_cast<size_t>(j)];
    if (object.refCount(j) > 0 && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
      grid.emplace(key(p.x, p.y, p.z), j);
  }
  std::unordered_map<int, int> partners;
  for (int i = 0; i < n; ++i) {
    if (object.refCount(i) == 0 || partners.count(i))
      continue;
    const MQPoint& p = object.positions[static_cast<size_t>(i)];
    if (std::fabs(p.x) < kMirrorPlane) {
      partners.emplace(i, i);
      continue;
    }
    const MQPoint reflected{-p.x, p.y, p.z};
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
      continue;
    int best = -1;
    for (int ox = -1; ox <= 1; ++ox)
      for (int oy = -1; oy <= 1; ++oy)
        for (int oz = -1; oz <= 1; ++oz) {
          const auto range = grid.equal_range(
              key(reflected.x + ox * cell, reflected.y + oy * cell, reflected.z + oz * cell));
          for (auto it = range.first; it != range.second; ++it) {
            const int j = it->second;
            if (j != i && (best < 0 || j < best) &&
                positionsMatch(object.positions[static_cast<size_t>(j)], reflected))
              best = j;
          }
        }
    if (best >= 0) {
      partners.emplace(best, i);
      partners.emplace(i, best);
    }
  }
  return partners;
}

// The alignment of a shortest edit script between the used vertices of both objects, compared
// by position; ties go to the step that leaves a Destination vertex unpaired.
std::unordered_map<int, int> alignByPosition(const sim::Object& source,
                                             const sim::Object& destination) {
  const std::vector<int> a = usedVertices(source), b = usedVertices(destination);
  const long m = static_cast<long>(a.size()), n = static_cast<long>(b.size());
  struct Node {
    long x, y;
    long previous;
  };
  std::vector<Node> nodes{{0, 0, -1}}; // node 0: the start of every path
  std::vector<long> furthest(static_cast<size_t>(m + n + 2), 0);
  auto slot = [&](long k) -> long& { return furthest[static_cast<size_t>(k + m)]; };
  auto matches = [&](long x, long y) {
    return positionsMatch(source.positions[static_cast<size_t>(a[static_cast<size_t>(x)])],
                          destination.positions[static_cast<size_t>(b[static_cast<size_t>(y)])]);
  };
  long end = -1;
  for (long d = 0; d <= m + n && end < 0; ++d) {
    const long kmin = d <= m ? -d : d - 2 * m, kmax = d <= n ? d : 2 * n - d;
    for (long k = kmin; k <= kmax && end < 0; k += 2) {
      long previous, y;
      if (k == -d || (k != d && nodes[static_cast<size_t>(slot(k - 1))].y <
                                    nodes[static_cast<size_t>(slot(k + 1))].y)) {
        previous = slot(k + 1);
        y = nodes[static_cast<size_t>(previous)].y;
      } else {
        previous = slot(k - 1);
        y = nodes[static_cast<size_t>(previous)].y + 1;
      }
      long x = y - k;
      while (x < m && y < n && matches(x, y))
        ++x, ++y;
      nodes.push_back(Node{x, y, previous});
      slot(k) = static_cast<long>(nodes.size()) - 1;
      if (x >= m && y >= n)
        end = slot(k);
    }
  }
  std::unordered_map<int, int> map;
  for (long p = end; p >= 0 && nodes[static_cast<size_t>(p)].previous >= 0;) {
    const Node& node = nodes[static_cast<size_t>(p)];
    const Node& from = nodes[static_cast<size_t>(node.previous)];
    const long dx = node.x - from.x, dy = node.y - from.y;
    for (long i = 0; i < std::min(dx, dy); ++i)
      map.emplace(b[static_cast<size_t>(node.y - 1 - i)], a[static_cast<size_t>(node.x - 1 - i)]);
    if (dx < dy)
      map.emplace(b[static_cast<size_t>(from.y)], -1);
    p = node.previous;
  }
  return map;
}

int faceWithVertices(const sim::Object& object, const std::vector<int>& vertices) {
  std::vector<int> running;
  for (size_t i = 0; i < vertices.size(); ++i) {
    const std::vector<int> faces = object.relatedFaces(vertices[i]);
    // A vertex in no face of the element leaves no face that holds them all.
    if (faces.empty())
      return -1;
    if (i == 0) {
      running = faces;
    } else {
      std::vector<int> both;
      std::set_intersection(running.begin(), running.end(), faces.begin(), faces.end(),
                            std::back_inserter(both));
      if (both.empty())
        return -1;
      running.swap(both);
    }
  }
  if (running.empty())
    return -1;
  const int face = running.front();
  return static_cast<size_t>(object.facePointCount(face)) == vertices.size() ? face : -1;
}

} // namespace

Correspondence analyseCorrespondence(const sim::Object& source, const sim::Object& destination,
                                     const RunSettings& settings) {
  Correspondence result;
  const int n = destination.vertexCount();
  result.sourceVertex.assign(static_cast<size_t>(n), -1);
  result.fate.assign(static_cast<size_t>(n), VertexFate::Unused);
  const auto partners =
      settings.mirrorMorph ? mirrorPartners(destination) : std::unordered_map<int, int>();
  const auto aligned =
      settings.useUniqueIds ? std::unordered_map<int, int>() : alignByPosition(source, destination);
  VertexTally& tally = result.tally;
  tally.total = n;
  for (int v = 0; v < n; ++v) {
    int looked = v;
    if (auto it = partners.find(v); it != partners.end())
      looked = it->second;
    int found = -1;
    if (settings.useUniqueIds) {
      found = source.vertexIndexFromUniqueId(destination.vertexIds[static_cast<size_t>(looked)]);
    } else if (auto it = aligned.find(looked); it != aligned.end()) {
      found = it->second;
    }
    result.sourceVertex[static_cast<size_t>(v)] = found;
    VertexFate& fate = result.fate[static_cast<size_t>(v)];
    if (destination.refCount(v) == 0) {
      fate = VertexFate::Unused, ++tally.unused;
    } else if (settings.selectedVerticesOnly && !destination.selectedVertices.count(v)) {
      fate = VertexFate::NotSelected, ++tally.notSelected;
    } else if (found >= 0) {
      fate = VertexFate::Matched, ++tally.matched;
    } else if (settings.morphAddedVertices) {
      fate = VertexFate::Interpolated, ++tally.interpolated;
    } else {
      fate = VertexFate::AddedLeftAlone, ++tally.addedLeftAlone;
    }
  }
  return result;
}

FaceTally analyseFaces(const sim::Object& oldElement, const sim::Object& newElement,
                       const sim::Object& destination, const Correspondence& correspondence,
                       const RunSettings& settings) {
  FaceTally tally;
  tally.passRan = settings.copyMaterials || settings.copyUvs || settings.copyEdges;
  if (!tally.passRan)
    return tally;
  for (int f = 0; f < newElement.faceCount(); ++f) {
    const std::vector<int> points = newElement.facePointList(f);
    if (points.empty())
      continue;
    if (settings.selectedVerticesOnly && !destination.selectedFaces.count(f))
      continue;
    ++tally.considered;
    int paired = settings.mirrorMorph
                     ? -1
                     : oldElement.faceIndexFromUniqueId(newElement.faceIds[static_cast<size_t>(f)]);
    // A face of another size found by unique ID cannot take this face's corners: not paired.
    if (paired >= 0 && static_cast<size_t>(oldElement.facePointCount(paired)) != points.size()) {
      ++tally.unpaired;
      continue;
    }
    if (paired < 0) {
      // Pairing through the vertices the vertex pass recorded.
      std::vector<int> mapped;
      for (int p : points) {
        const VertexFate fate = p >= 0 && p < destination.vertexCount()
                                    ? correspondence.fate[static_cast<size_t>(p)]
                                    : VertexFate::Unused;
        const int s = correspondence.sourceVertex[static_cast<size_t>(std::max(p, 0))];
        if (fate != VertexFate::Matched || s < 0)
          break;
        mapped.push_back(s);
      }
      if (mapped.size() == points.size())
        paired = faceWithVertices(oldElement, mapped);
    }
    if (paired >= 0)
      ++tally.paired;
    else
      ++tally.unpaired;
  }
  return tally;
}

MotionTally measureMotion(const sim::Object& newElement, const sim::Object& destination) {
  MotionTally tally;
  const size_t n = std::min(newElement.positions.size(), destination.positions.size());
  for (size_t v = 0; v < n; ++v) {
    const MQPoint& p = newElement.positions[v];
    const MQPoint& q = destination.positions[v];
    if (std::memcmp(&p, &q, sizeof p) == 0)
      continue;
    ++tally.moved;
    const float dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
    tally.largest = std::max(tally.largest, std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  return tally;
}

} // namespace runner
