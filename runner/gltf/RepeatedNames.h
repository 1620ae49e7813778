// Morph target names that stand on several targets of a mesh. Nothing is lost to them: each
// Source target is carried as a target of its own, the k-th of a name replacing the
// Destination's k-th target of that name or appended after the Destination's targets
// (TargetWriter), and the report warns, naming the meshes and the targets' indices.
#pragma once

#include "GltfMesh.h"

#include <string>
#include <vector>

namespace runner {

// How many of the names before `index` are the same as the name at `index`.
size_t occurrenceOf(const std::vector<std::string>& names, size_t index);

// Where a carried Source target went in the output.
struct TargetPlacement {
  size_t source = 0, output = 0;
  bool appended = false;
};

// One warning for each name that stands on more than one target of the Source mesh or of the
// Destination mesh; with the placements when the targets were written.
std::vector<std::string> repeatedNameWarnings(const MeshSummary& source,
                                              const MeshSummary& destination,
                                              const std::vector<TargetPlacement>& placed);

} // namespace runner
