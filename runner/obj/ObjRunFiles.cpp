#include "ObjRunFiles.h"

#include "AtomicFile.h"
#include "DocumentFile.h"
#include "FilePattern.h"
#include "ObjObjects.h"
#include "ObjReader.h"
#include "ObjWriter.h"

#include <filesystem>
#include <memory>
#include <set>

namespace runner::obj {

namespace fs = std::filesystem;

namespace {

const size_t kLongestName = 249; // the host exchanges names through 250-byte buffers

std::string stemOf(const std::string& file) {
  return fs::path(file).stem().string();
}

} // namespace

ObjRunFiles::ObjRunFiles(ObjRunRequest request) : request_(std::move(request)) {
  morphs_ = morphFiles(request_.morphs, {request_.source, request_.destination});
}

std::string ObjRunFiles::outputPath(const MorphFile& morph) const {
  return (fs::path(request_.outputFolder) / morph.output).string();
}

void ObjRunFiles::checkOutputs() const {
  if (request_.outputFolder.empty())
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

void ObjRunFiles::read(sim::Document& document, RunObjects& objects) {
  const Mesh source = readMesh(request_.source, ReadOptions{ReadPart::Mesh, false});
  destination_ = readMesh(request_.destination, ReadOptions{ReadPart::Mesh, true});
  noteNotRead(source);
  noteNotRead(destination_);
  MaterialTable materials;
  const std::vector<int> sourceMaterials = materials.add(source);
  const std::vector<int> destinationMaterials = materials.add(destination_);

  objects.source = document.addObject(stemOf(request_.source));
  fillObject(*objects.source, source, source.positions, sourceMaterials);
  for (size_t m = 0; m < morphs_.size(); ++m) {
    const Mesh morph = readMesh(morphs_[m].file, ReadOptions{ReadPart::PositionsOnly, false});
    if (morph.vertexCount() != source.vertexCount())
      throw DocumentError(morph.file + " has " + std::to_string(morph.vertexCount()) +
                          " vertices but the Source " + source.file + " has " +
                          std::to_string(source.vertexCount()) +
                          ": a morph file holds the Source's vertices, in the same order");
    const std::string name = "elem:" + morphs_[m].name + "-" + objects.source->name;
    if (name.size() > kLongestName)
      throw DocumentError("the element name \"" + name + "\" is longer than the host's " +
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
  fillObject(*objects.destination, destination_, destination_.positions, destinationMaterials);
  objects.source->selected = 1;
  objects.destination->selected = 1;
}

void ObjRunFiles::write(const sim::Document&, const TransferOutcome& outcome) {
  if (request_.outputFolder.empty())
    return;
  std::error_code error;
  const bool existed = fs::is_directory(request_.outputFolder, error);
  fs::create_directories(request_.outputFolder, error);
  if (!fs::is_directory(request_.outputFolder, error))
    throw DocumentError(request_.outputFolder + ": the output folder cannot be made");
  try {
    writeOutputs(outcome);
  } catch (...) {
    // A folder made for outputs that never came is taken away again.
    if (!existed && fs::is_empty(request_.outputFolder, error))
      fs::remove(request_.outputFolder, error);
    throw;
  }
}

void ObjRunFiles::writeOutputs(const TransferOutcome& outcome) {
  // Every file is written to its temporary first; only when all are complete are they renamed.
  std::vector<std::unique_ptr<AtomicFile>> files;
  std::vector<std::pair<std::string, std::string>> written;
  for (const ElementOutcome& element : outcome.elements) {
    const auto found = morphOfElement_.find(element.picked);
    if (!element.oldElement || found == morphOfElement_.end())
      continue;
    const MorphFile& morph = morphs_[found->second];
    const std::vector<float> positions = positionsOf(*element.newElement);
    if (positions.size() != destination_.positions.size())
      throw DocumentError("\"" + element.newName + "\" has not the Destination's vertex count");
    files.push_back(std::make_unique<AtomicFile>(outputPath(morph)));
    AtomicFile& file = *files.back();
    if (!file.open())
      throw DocumentError(file.target() + ": cannot create the file");
    writeMorphed(file.stream(), destination_, positions.data());
    if (!file.stream().flush())
      throw DocumentError(file.target() + ": could not write the file");
    written.emplace_back(morph.name, file.target());
  }
  for (size_t k = 0; k < files.size(); ++k)
    if (!files[k]->commit())
      throw DocumentError(files[k]->target() + ": could not write the file" +
                          (k ? " (" + std::to_string(k) + " of the " +
                                   std::to_string(files.size()) + " files were written)"
                             : std::string()));
  written_ = written;
}

InputSummary ObjRunFiles::summary() const {
  InputSummary summary;
  summary.format = "OBJ";
  summary.files.emplace_back("Source", request_.source);
  for (const MorphFile& morph : morphs_)
    summary.files.emplace_back("morph " + morph.name, morph.file);
  summary.files.emplace_back("Destination", request_.destination);
  summary.outputs = written_;
  summary.notes = notes_;
  return summary;
}

} // namespace runner::obj
