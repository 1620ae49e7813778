#include "DocumentRunFiles.h"
#include "GltfAsset.h"
#include "GltfRunFiles.h"

namespace runner {

std::unique_ptr<RunFiles> openRunFiles(const CommandLine& line) {
  const bool gltf = isGltfPath(line.input);
  if (!line.secondInput.empty() && (!gltf || !isGltfPath(line.secondInput)))
    throw RunError(kExitUsage, "one document at a time: \"" + line.input + "\" and \"" +
                                   line.secondInput +
                                   "\" given (two files go together only as glTF: the Source's "
                                   "file, then the Destination's)");
  if (!gltf)
    return std::make_unique<DocumentRunFiles>(line.input, line.output, line.layout);
  GltfRunPaths paths;
  paths.first = line.input;
  paths.second = line.secondInput;
  paths.output = line.output;
  paths.sourceName = line.request.sourceName;
  paths.destinationName = line.request.destinationName;
  return std::make_unique<GltfRunFiles>(std::move(paths));
}

} // namespace runner
