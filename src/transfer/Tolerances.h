// When two positions count as the same, and when a vertex lies on the mirror plane x = 0: the two
// tolerances, fixed by their bits so that every build compares alike, and the squared distance
// they are tested with (single precision, in one fixed order of operations; the interpolation
// weighs boundary vertices with the same sum).
// Relies on the host's point type only.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <cstdint>
#include <cstring>

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

// (P.y - Q.y)^2 + (P.x - Q.x)^2 + (P.z - Q.z)^2 in single precision, in exactly this order.
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

} // namespace transfer
