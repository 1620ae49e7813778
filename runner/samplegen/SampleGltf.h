// The sample character as glTF 2.0 binary files, the way a modeler exports it: one primitive per
// material, a glTF vertex per distinct (vertex, UV) of a primitive (so seams repeat vertices),
// smooth normals, the Source's morphs as targets with POSITION and NORMAL deltas named in
// extras.targetNames. The glTF files add closed lips (two surfaces touching along their inner
// faces, which the smile parts a little) and, on the edited copy, a new UV island round the new
// waist loop. Relies on the sample document and the glTF writer.
#pragma once

#include "SampleCharacter.h"

#include <string>

namespace runner {

// Writes the Source mesh "Body" with its targets to `sourcePath` and the edited copy to
// `editedPath` (named "Body" too); with `editedPath` empty, both meshes go into `sourcePath`
// ("Body" and "BodyEdited"). Throws FileError.
void writeSampleGltf(const SampleOptions& options, const std::string& sourcePath,
                     const std::string& editedPath, bool sparse = true);

// Adds the closed lips to the Source, its elements and the edited copy, and the new UV island to
// the edited copy (the glTF sample's additions to the sample document).
void addGltfSampleParts(sim::Document& document);

} // namespace runner
