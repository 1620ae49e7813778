// The command line of runs on model files: OBJ runs, where --source and --destination name the
// base and the edited mesh's files, --morph the morph files and --output-dir where the results go;
// glTF runs, on one or two glTF files given as the input, written to --output.
#include "CommandLine.h"

#include "GltfAsset.h"
#include "GltfRunFiles.h"
#include "ObjRunFiles.h"

#include <algorithm>
#include <cctype>

namespace runner {

namespace {

RunError usage(const std::string& what) {
  return RunError(kExitUsage, what);
}

std::string extensionOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return std::string();
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

void checkModelFileRun(const CommandLine& line) {
  if (line.destinationFile.empty())
    throw usage("--source " + line.sourceFile +
                " needs --destination EDITED.obj: the edited mesh the morphs are carried to");
  if (extensionOf(line.destinationFile) != extensionOf(line.sourceFile))
    throw usage("--destination " + line.destinationFile +
                ": the edited mesh is read in the "
                "Source's format (" +
                extensionOf(line.sourceFile) + ")");
  if (line.morphs.empty())
    throw usage("no morph file given: name each with --morph FILE, --morph NAME=FILE or a "
                "pattern such as --morph 'shapes/*.obj'");
  if (line.outputFolder.empty() && !line.dryRun)
    throw usage("--output-dir FOLDER is needed: one file per transferred morph is written there");
  if (!line.output.empty())
    throw usage("--output is for document runs; the morphs of an OBJ run are written to "
                "--output-dir");
}

} // namespace

bool isModelFile(const std::string& path) {
  return extensionOf(path) == ".obj";
}

void completeModelFileRun(CommandLine& line) {
  if (line.help || line.version)
    return;
  if (line.input.empty() && line.request.sourceName && isModelFile(*line.request.sourceName)) {
    line.sourceFile = *line.request.sourceName;
    line.destinationFile = line.request.destinationName.value_or(std::string());
    line.request.sourceName.reset();
    line.request.destinationName.reset();
    checkModelFileRun(line);
    return;
  }
  if (isModelFile(line.input))
    throw usage(line.input + ": name the files of an OBJ run with --source BASE.obj, --morph "
                             "FILE and --destination EDITED.obj");
  if (!line.morphs.empty() || !line.outputFolder.empty())
    throw usage(std::string(line.morphs.empty() ? "--output-dir" : "--morph") +
                " is for runs on OBJ files (--source BASE.obj ... --destination EDITED.obj)");
}

std::unique_ptr<RunFiles> openRunFiles(const CommandLine& line) {
  if (line.sourceFile.empty() && isGltfPath(line.input)) {
    GltfRunPaths paths;
    paths.first = line.input;
    paths.second = line.secondInput;
    paths.output = line.output;
    paths.sourceName = line.request.sourceName;
    paths.destinationName = line.request.destinationName;
    return std::make_unique<GltfRunFiles>(std::move(paths));
  }
  if (line.sourceFile.empty())
    return nullptr;
  obj::ObjRunRequest request;
  request.source = line.sourceFile;
  request.destination = line.destinationFile;
  request.morphs = line.morphs;
  request.outputFolder = line.dryRun ? std::string() : line.outputFolder;
  request.force = line.force;
  return std::make_unique<obj::ObjRunFiles>(request);
}

std::string modelFileUsageText() {
  return "\n"
         "Runs on Wavefront OBJ files (a base mesh, one file per morph, an edited mesh):\n"
         "      --source BASE.obj   the base mesh the morphs were made on (the Source)\n"
         "      --morph FILE        a morph: the base's vertices, in the base's order, moved;\n"
         "                          named after the file (smile.obj: smile); repeatable\n"
         "      --morph NAME=FILE   the same under another name\n"
         "      --morph 'PATTERN'   every file the pattern matches ('shapes/*.obj'; the runner\n"
         "                          expands it, so quote it)\n"
         "      --destination EDITED.obj  the edited mesh the morphs are carried to\n"
         "      --output-dir FOLDER one file per transferred morph, named like its input: the\n"
         "                          edited mesh's file with only its vertex coordinates moved\n"
         "      --force             replace files that already exist in the output folder\n"
         "  OBJ files carry no vertex unique IDs: these runs pair vertices by position.\n"
         "  Example:\n"
         "  tovalinder-run --source base.obj --morph 'shapes/*.obj' --destination edited.obj \\\n"
         "      --output-dir out/ --pictures out/pictures\n";
}

} // namespace runner
