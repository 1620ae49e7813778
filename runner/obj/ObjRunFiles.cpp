#include "ObjRunFiles.h"

#include "FileError.h"
#include "FilePattern.h"
#include "InputFile.h"
#include "ObjObjects.h"
#include "ObjReader.h"
#include "ObjWriter.h"
#include "transfer/ElementNaming.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <set>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace runner::obj {

namespace fs = std::filesystem;

namespace {

const size_t kLongestName = 249; // the host exchanges names through 250-byte buffers

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

RunError usage(const std::string& what) {
  return RunError(kExitUsage, what);
}

std::string stemOf(const std::string& file) {
  return fs::path(file).stem().string();
}

// A written morph read back as any OBJ input is read: the Destination's faces, and vertices at
// exactly the positions written (compared by digest, so that no copy of them is kept).
OutputSet::ReadBack readBack(const std::string& path, const Mesh& destination,
                             const std::vector<float>& positions) {
  const size_t count = positions.size();
  const std::uint64_t digest = XXH3_64bits(positions.data(), count * sizeof(float));
  const int faces = destination.faceCount();
  const size_t corners = destination.cornerVertex.size();
  return [path, count, digest, faces, corners](const std::string& staged) {
    InputStream in(staged);
    const Mesh back = readMesh(in, path, ReadOptions{ReadPart::Mesh, false});
    if (back.positions.size() != count ||
        XXH3_64bits(back.positions.data(), count * sizeof(float)) != digest ||
        back.faceCount() != faces || back.cornerVertex.size() != corners)
      throw FileError(path, "", "reads back with other vertices or faces than those written");
  };
}

} // namespace

bool isObjPath(const std::string& path) {
  return extensionOf(path) == ".obj";
}

void checkObjArguments(const FileArguments& arguments) {
  if (!arguments.inputs.empty())
    throw usage(arguments.inputs.front() + ": name the files of an OBJ run with --source "
                                           "BASE.obj, --morph FILE and --destination EDITED.obj");
  const std::string& source = *arguments.source;
  const std::string destination = arguments.destination.value_or(std::string());
  if (destination.empty())
    throw usage("--source " + source +
                " needs --destination EDITED.obj: the edited mesh the morphs are carried to");
  if (extensionOf(destination) != extensionOf(source))
    throw usage("--destination " + destination +
                ": the edited mesh is read in the Source's format (" + extensionOf(source) + ")");
  if (arguments.morphs.empty())
    throw usage("no morph file given: name each with --morph FILE, --morph NAME=FILE or a "
                "pattern such as --morph 'shapes/*.obj'");
  if (arguments.outputFolder.empty() && !arguments.dryRun)
    throw usage("--output-dir FOLDER is needed: one file per transferred morph is written there");
  if (!arguments.output.empty())
    throw usage("--output is for document runs; the morphs of an OBJ run are written to "
                "--output-dir");
}

std::unique_ptr<RunFiles> openObjRun(const FileArguments& arguments) {
  checkObjArguments(arguments);
  ObjRunRequest request;
  request.source = *arguments.source;
  request.destination = *arguments.destination;
  request.morphs = arguments.morphs;
  request.outputFolder = arguments.outputFolder;
  request.dryRun = arguments.dryRun;
  request.force = arguments.force;
  return std::make_unique<ObjRunFiles>(request);
}

std::string objUsageText() {
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

ObjRunFiles::ObjRunFiles(ObjRunRequest request) : request_(std::move(request)) {
  morphs_ = morphFiles(request_.morphs, {request_.source, request_.destination});
}

std::string ObjRunFiles::outputPath(const MorphFile& morph) const {
  return (fs::path(request_.outputFolder) / morph.output).string();
}

void ObjRunFiles::checkOutputs() const {
  if (request_.dryRun)
    return;
  std::error_code error;
  if (fs::exists(request_.outputFolder, error) && !fs::is_directory(request_.outputFolder, error))
    throw RunError(kExitUsage, "--output-dir " + request_.outputFolder + ": is not a folder");
  for (const MorphFile& morph : morphs_) {
    const std::string path = outputPath(morph);
    if (!fs::exists(path, error))
      continue;
    bool input = isSameFile(path, request_.source) || isSameFile(path, request_.destination);
    for (const MorphFile& other : morphs_)
      input = input || isSameFile(path, other.file);
    if (input)
      throw RunError(kExitUsage, path + " is an input of this run; write the outputs to another "
                                        "folder (--output-dir)");
    if (!fs::is_regular_file(path, error))
      throw RunError(kExitUsage, path + " exists and is not a file; nothing was written");
    if (!request_.force)
      throw RunError(kExitUsage, path + " exists; give --force to replace it (nothing was "
                                        "written)");
  }
}

void ObjRunFiles::noteNotRead(const Mesh& mesh) {
  // Grouping and display statements are expected to be left out; geometry is worth a word.
  static const std::set<std::string> kGeometry = {"vn", "vp", "l", "p", "curv", "curv2", "surf"};
  std::string list;
  for (const auto& [keyword, count] : mesh.notRead)
    if (kGeometry.count(keyword))
      list += (list.empty() ? "" : ", ") + std::to_string(count) + " " + keyword;
  if (!list.empty())
    notes_.push_back(mesh.file + ": not read (copied as they are): " + list);
}

std::vector<FileGroup> ObjRunFiles::inputs(bool) const {
  std::vector<FileGroup> groups;
  for (const auto& [role, path] : summary().files)
    groups.push_back({"the " + role + " file", {path}, false});
  return groups;
}

std::vector<FileGroup> ObjRunFiles::outputs() const {
  std::vector<FileGroup> groups;
  if (!request_.dryRun)
    for (const MorphFile& morph : morphs_)
      groups.push_back({"the output file", {outputPath(morph)}, false});
  return groups;
}

void ObjRunFiles::read(sim::Document& document, const FileProgress&) {
  struct {
    sim::Object* source = nullptr;
    sim::Object* destination = nullptr;
  } objects;
  const Mesh source = readMesh(request_.source, ReadOptions{ReadPart::Mesh, false});
  destination_ = readMesh(request_.destination, ReadOptions{ReadPart::Mesh, true});
  noteNotRead(source);
  noteNotRead(destination_);
  MaterialTable materials;
  const std::vector<int> sourceMaterials = materials.add(source);
  const std::vector<int> destinationMaterials = materials.add(destination_);

  objects.source = document.addObject(stemOf(request_.source));
  fillObject(*objects.source, polygonsOf(source, sourceMaterials));
  for (size_t m = 0; m < morphs_.size(); ++m) {
    const Mesh morph = readMesh(morphs_[m].file, ReadOptions{ReadPart::PositionsOnly, false});
    if (morph.vertexCount() != source.vertexCount())
      throw FileError(morph.file + " has " + std::to_string(morph.vertexCount()) +
                      " vertices but the Source " + source.file + " has " +
                      std::to_string(source.vertexCount()) +
                      ": a morph file holds the Source's vertices, in the same order");
    const std::string name = naming::elementName(morphs_[m].name, objects.source->name());
    if (name.size() > kLongestName)
      throw FileError("the element name \"" + name + "\" is longer than the host's " +
                      std::to_string(kLongestName) +
                      " bytes: shorten the file names or name "
                      "the morph with --morph NAME=FILE");
    sim::Object* element = document.addObject(name);
    fillElement(*element, *objects.source, morph.positions);
    element->depth = 1;
    morphOfElement_[name] = m;
  }
  objects.destination = document.addObject(document.unusedObjectName(stemOf(request_.destination)));
  continueUniqueIds(*objects.destination, *objects.source);
  fillObject(*objects.destination, polygonsOf(destination_, destinationMaterials));
  shareFaceIds(*objects.source, *objects.destination);
  objects.source->selected = 1;
  objects.destination->selected = 1;
}

void ObjRunFiles::write(const sim::Document&, const TransferOutcome& outcome, OutputSet& outputs,
                        const FileProgress&) {
  if (request_.dryRun)
    return;
  outputs.makeFolder(request_.outputFolder);
  std::vector<std::pair<std::string, std::string>> written;
  for (const ElementOutcome& element : outcome.elements) {
    const auto found = morphOfElement_.find(element.picked);
    if (!element.oldElement || found == morphOfElement_.end())
      continue;
    const MorphFile& morph = morphs_[found->second];
    const std::vector<float> positions = positionsOf(*element.newElement);
    if (positions.size() != destination_.positions.size())
      throw FileError("\"" + element.newName + "\" has not the Destination's vertex count");
    const std::string path = outputPath(morph);
    writeMorphed(outputs.open(path, readBack(path, destination_, positions)), destination_,
                 positions.data());
    written.emplace_back(morph.name, path);
  }
  written_ = written;
}

InputSummary ObjRunFiles::summary() const {
  InputSummary summary;
  summary.format = "OBJ";
  summary.input = request_.source;
  summary.output = request_.outputFolder;
  summary.files.emplace_back("Source", request_.source);
  for (const MorphFile& morph : morphs_)
    summary.files.emplace_back("morph " + morph.name, morph.file);
  summary.files.emplace_back("Destination", request_.destination);
  summary.outputs = written_;
  summary.notes = notes_;
  return summary;
}

} // namespace runner::obj
