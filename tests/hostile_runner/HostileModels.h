// Small model files for the hostile tests, made by the tests themselves rather than committed:
// a glTF model (a Source mesh with morph targets in every form the reader takes, and its edited
// copy) as .glb or as .gltf with its buffer beside it, and an OBJ set. A case spoils the model
// before writing it. Also the runner's reading of a run's files called in the test's own process,
// for cases by the thousand.
#pragma once

#include "GltfTestSupport.h"
#include "RunFiles.h"

#include <string>
#include <vector>

namespace hostile {

struct ModelTargets {
  // The Source's targets in turn dense with normal deltas, sparse, and without data.
  std::vector<std::string> source = {"smile", "blink", "wide"};
  // The edited copy's own targets, each moving every vertex by (0, 0, 0.3 + index / 10).
  std::vector<std::string> destination;
};

// Source "Body": a 4 x 4 grid with normals, texture coordinates and indices; "BodyEdited": the
// same grid with vertex 5 raised. One file holds both, so a run needs no names.
gltf_test::GlbBuilder smallModel(const ModelTargets& targets = {});
// The accessor of the Source's k-th target POSITION, and its Destination's positions.
size_t sourceTargetAccessor(const gltf_test::GlbBuilder& model, size_t target);
size_t destinationPositionAccessor(const gltf_test::GlbBuilder& model);
// Puts `value` into component `component` of element `element` of a dense accessor.
void setFloat(gltf_test::GlbBuilder& model, size_t accessor, size_t element, size_t component,
              float value);

// The model as a .gltf text whose one buffer is the file `bufferName` beside it.
void writeGltfWithBuffer(const gltf_test::GlbBuilder& model, const std::string& gltfPath,
                         const std::string& bufferName);

// An OBJ set in `folder`: Body.obj, shapes/smile.obj, shapes/blink.obj and BodyEdited.obj.
// Answers the four paths in that order.
std::vector<std::string> writeSmallObjSet(const std::string& folder);
// A run's file arguments for that set, with outputs into `outputFolder`.
runner::FileArguments objSetArguments(const std::vector<std::string>& set,
                                      const std::string& outputFolder);

// What reading the files of a run ends with, as the program would end: status 0 when they read,
// else the exit status and the message.
struct ReadOutcome {
  int status = 0;
  std::string message;
};
ReadOutcome readAsARun(const runner::FileArguments& arguments);

} // namespace hostile
