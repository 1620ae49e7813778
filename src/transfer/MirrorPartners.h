// Left/right mirror partners across the plane x = 0 among a mesh's vertices: a vertex on the
// plane is its own partner; any other takes the lowest-indexed used vertex at its reflection
// (-x, y, z) within the matching tolerance.
// Pure: positions and used flags in, one partner table out.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <vector>

namespace transfer {

// For each used vertex its partner's index, itself when on the plane, or -1 (as for unused
// vertices). The same pairs as scanning every vertex in ascending order for the lowest-indexed
// other used vertex at the reflected position, where a vertex already paired is not searched
// again and an existing entry is never replaced. Close to linear time for any coordinates,
// non-finite and huge ones included.
std::vector<int> findMirrorPartners(const std::vector<MQPoint>& positions,
                                    const std::vector<char>& used);

} // namespace transfer
