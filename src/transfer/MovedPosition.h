// Where a vertex lands when a morph's offset moves it: the offset mirrored left/right when asked
// (x negated), scaled by the rate, added to the position. The one rule for every writer of moved
// positions, the runner's surface mode included, so that all of them write the same bits.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <cmath>

namespace transfer {

// A coordinate moved by a step. Of two NaNs the processor returns the first operand's, and an
// addition's operand order is the compiler's choice (the Windows and Linux builds choose
// differently): a NaN step is the result outright, so every build writes the same bits.
inline float movedCoordinate(float coordinate, float step) {
  return std::isnan(step) ? step : coordinate + step;
}

inline MQPoint movedPosition(const MQPoint& position, MQPoint offset, bool mirror, float rate) {
  if (mirror)
    offset.x = -offset.x;
  return MQPoint{movedCoordinate(position.x, rate * offset.x),
                 movedCoordinate(position.y, rate * offset.y),
                 movedCoordinate(position.z, rate * offset.z)};
}

} // namespace transfer
