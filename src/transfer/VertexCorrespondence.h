// Vertex correspondence: which Source vertex each used Destination vertex stands for, by unique
// ID or by aligning the two vertex sequences by position, optionally through the left/right
// mirror partner. Offers the tolerances (fixed by their bits), the position test shared by the
// diff and the mirror search, and the sequence alignment itself (pure, on position arrays).
// Relies on the plug-in object's source and destination and on the host function table.
#pragma once

#include "host/MQPluginInterface.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace transfer {

inline float floatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Squared distances strictly below this count as the same position: 0.001f * 0.001f.
inline const float kMatchTolerance = floatFromBits(0x358637BEu);
// |x| strictly below this lies on the mirror plane x = 0: 0.001f.
inline const float kMirrorPlaneTolerance = floatFromBits(0x3A83126Fu);

// (P.y - Q.y)^2 + (P.x - Q.x)^2 + (P.z - Q.z)^2 in single precision, in exactly this order; the
// same sum weighs boundary vertices in the interpolation.
inline float squaredDistance(const MQPoint& p, const MQPoint& q) {
  const float dy = p.y - q.y;
  const float dx = p.x - q.x;
  const float dz = p.z - q.z;
  const float yy = dy * dy;
  const float xx = dx * dx;
  const float zz = dz * dz;
  const float sum = yy + xx;
  return sum + zz;
}

// True when the two positions are the same within the matching tolerance (never with a NaN).
inline bool samePosition(const MQPoint& p, const MQPoint& q) {
  return squaredDistance(p, q) < kMatchTolerance;
}

// One element of the diff sequences: a vertex and the object it belongs to.
struct VertexRef {
  int index;
  int side; // 1: the run's Source, 2: the run's Destination
};

// Reads both positions from the host (from the current run's Source or Destination).
bool positionsMatch(const VertexRef& a, const VertexRef& b);

// Aligns b against a as the greedy shortest-edit-script search does (Myers, O(ND)): steps along
// a win only when the diagonal below reaches a strictly smaller y, and the path kept is the one
// that search walks back. Answers, for each element of b, the index in a it is matched with, or
// -1. Memory grows with the matched runs still reachable from the search front, not with the
// number of steps explored.
std::vector<int> alignSequences(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b);

// Mirror partners among the given positions (used[i] false: takes part in nothing): for each
// used vertex, its partner's index, itself when on the plane, or -1. Same pairs as scanning every
// vertex in ascending order for the lowest-indexed used vertex at the reflected position, with
// vertices already paired not searched again (their first partner stays).
std::vector<int> findMirrorPartners(const std::vector<MQPoint>& positions,
                                    const std::vector<char>& used);

} // namespace transfer
