// Which mesh of a glTF file is the Source and which the Destination: named by --source and
// --destination (a node or mesh name), or by default the one mesh with morph targets (Source),
// and the mesh of the Source's name in the second file, else that file's only mesh, else the
// one other mesh of a single file (Destination). A choice that cannot be made is a RunError
// that lists the meshes.
#pragma once

#include "GltfMesh.h"

#include <optional>
#include <string>
#include <vector>

namespace runner {

const MeshSummary& chooseSourceMesh(const std::vector<MeshSummary>& meshes,
                                    const std::optional<std::string>& name,
                                    const std::string& file);

// `source` is the chosen Source; `sameFile` when both come from one file.
const MeshSummary& chooseDestinationMesh(const std::vector<MeshSummary>& meshes,
                                         const std::optional<std::string>& name,
                                         const std::string& file, const MeshSummary& source,
                                         bool sameFile);

} // namespace runner
