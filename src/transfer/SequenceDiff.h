// The alignment of two position sequences by a shortest edit script: which element of the first
// (the Source's used vertices) each element of the second (the Destination's) stands for, two
// elements counting as the same where their positions match within the tolerance.
// Pure: plain position arrays in, one index array out.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <vector>

namespace transfer {

// For each element of b, the index in a it is matched with, or -1: the alignment that the greedy
// shortest-edit-script search walks back (steps along a win only where the diagonal below
// reaches a strictly smaller depth in b). Memory grows with the matched runs still reachable from
// the search front, not with the number of steps explored.
std::vector<int> alignSequences(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b);

} // namespace transfer
