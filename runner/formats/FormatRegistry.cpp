#include "FormatRegistry.h"

#include "DocumentRunFiles.h"
#include "GltfAsset.h"
#include "GltfRunFiles.h"
#include "ObjRunFiles.h"

namespace runner {

namespace {

enum class Format { Document, Gltf, Obj };

RunError usage(const std::string& what) {
  return RunError(kExitUsage, what);
}

// The files named without an option: one document, or one or two glTF files (the Source's, then
// the Destination's).
void checkInputCount(const std::vector<std::string>& inputs) {
  for (size_t k = 1; k < inputs.size(); ++k) {
    if (k == 1 && isGltfPath(inputs[0]) && isGltfPath(inputs[1]))
      continue;
    throw usage("one document at a time: \"" + inputs[k - 1] + "\" and \"" + inputs[k] +
                "\" given" +
                (isGltfPath(inputs[k]) ? " (at most two glTF files: the Source's, then the "
                                         "Destination's)"
                                       : ""));
  }
}

// The format by the files' names: an OBJ run names its files by option, a glTF run by the
// extension of its first input, anything else is a document.
Format chosenFormat(const FileArguments& a) {
  if ((a.inputs.empty() && a.source && obj::isObjPath(*a.source)) ||
      (!a.inputs.empty() && obj::isObjPath(a.inputs.front())))
    return Format::Obj;
  if (a.inputs.empty())
    throw usage("no document given");
  checkInputCount(a.inputs);
  if (!a.morphs.empty() || !a.outputFolder.empty())
    throw usage(std::string(a.morphs.empty() ? "--output-dir" : "--morph") +
                " is for runs on OBJ files (--source BASE.obj ... --destination EDITED.obj)");
  return isGltfPath(a.inputs.front()) ? Format::Gltf : Format::Document;
}

} // namespace

void checkFileArguments(const FileArguments& arguments) {
  switch (chosenFormat(arguments)) {
  case Format::Obj:
    obj::checkObjArguments(arguments);
    break;
  case Format::Document:
    checkDocumentArguments(arguments);
    break;
  case Format::Gltf:
    break;
  }
}

std::unique_ptr<RunFiles> openRunFiles(const FileArguments& arguments) {
  switch (chosenFormat(arguments)) {
  case Format::Obj:
    return obj::openObjRun(arguments);
  case Format::Gltf:
    return openGltfRun(arguments);
  case Format::Document:
    break;
  }
  return openDocumentRun(arguments);
}

std::string formatsUsageText() {
  return gltfUsageText() + obj::objUsageText();
}

} // namespace runner
