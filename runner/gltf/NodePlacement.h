// Where a glTF file places a mesh in its scene: the world matrix of a node (its own transform
// after its parents'). The runner pairs vertices in mesh space, so a Destination placed otherwise
// than its Source namesake is worth a word: it is the usual cause of a run that pairs nothing.
#pragma once

#include "GltfAsset.h"

#include <optional>
#include <string>

namespace runner {

// The line the report gives when the node that uses the Destination mesh is placed otherwise
// than the Source's node of the same name; nothing when they agree, when either mesh is used by
// no node, or when the Source has no node of that name.
std::optional<std::string> placementNote(const GltfAsset& source, size_t sourceMesh,
                                         const GltfAsset& destination, size_t destinationMesh);

} // namespace runner
