#include "MorphSetExport.h"

#include "AtomicFile.h"
#include "FileError.h"
#include "ObjExport.h"
#include "ObjObjects.h"
#include "transfer/ElementNaming.h"

#include <filesystem>

namespace runner::obj {

namespace {

void writeFile(const std::string& path, const Mesh& mesh, const ExportOptions& options) {
  AtomicFile file(path);
  if (!file.open())
    throw FileError(path + ": cannot create the file");
  writeMesh(file.stream(), mesh, options);
  if (!file.commit())
    throw FileError(path + ": could not write the file");
}

} // namespace

std::vector<std::string> writeMorphSet(const sim::Document& document, const std::string& folder) {
  std::vector<const sim::Object*> selected;
  for (const sim::Object* object : document.objects())
    if (object->selected && selected.size() < 2)
      selected.push_back(object);
  if (selected.size() < 2)
    throw FileError("the document has no Source and Destination selected");
  const sim::Object& source = *selected[0];
  const std::string shapes = (std::filesystem::path(folder) / "shapes").string();
  std::error_code error;
  std::filesystem::create_directories(shapes, error);
  if (error)
    throw FileError(shapes + ": cannot make the folder");

  std::vector<std::string> paths;
  const std::string made = "made by tovalinder-sample";
  paths.push_back((std::filesystem::path(folder) / (source.name() + ".obj")).string());
  writeFile(paths.back(), objMeshOf(arraysOf(source), source.name()),
            ExportOptions{made, source.name(), true});
  for (const sim::Object* object : document.objects()) {
    if (!naming::isElementOf(object->name(), source.name()))
      continue;
    const std::string morph = naming::morphNameOf(object->name());
    paths.push_back((std::filesystem::path(shapes) / (morph + ".obj")).string());
    writeFile(paths.back(), objMeshOf(arraysOf(*object), object->name()),
              ExportOptions{made + ": morph " + morph, morph, false});
  }
  const sim::Object& destination = *selected[1];
  paths.push_back((std::filesystem::path(folder) / (destination.name() + ".obj")).string());
  writeFile(paths.back(), objMeshOf(arraysOf(destination), destination.name()),
            ExportOptions{made, destination.name(), true});
  return paths;
}

} // namespace runner::obj
