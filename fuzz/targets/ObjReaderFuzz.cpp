// The runner's OBJ reader and writer on texts made of the fuzz bytes. Invariants: a text is
// either read or refused with a FileError that names the file and a line (or the whole file),
// never with anything else; what is read is a sound mesh (every corner names a vertex and a
// texture coordinate of the file, materials exist); written back unmoved it is the very same
// bytes; written with every coordinate moved it differs only there, and reads back as exactly the
// positions written, with the same faces.
#include "DocumentFile.h"
#include "FuzzInput.h"
#include "ObjReader.h"
#include "ObjWriter.h"
#include "ReaderStep.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>

namespace {

using runner::obj::Mesh;

bool read(const std::string& text, Mesh& mesh) {
  std::istringstream in(text);
  return fuzzing::readsOrRefuses(
      [&] {
        mesh = runner::obj::readMesh(in, "fuzz.obj", {runner::obj::ReadPart::Mesh, true});
      },
      [](const char* what) {
        fuzzing::check(std::strncmp(what, "fuzz.obj", 8) == 0, "a refusal names the file");
      });
}

void checkSound(const Mesh& mesh) {
  fuzzing::check(mesh.positions.size() % 3 == 0 && mesh.uvs.size() % 2 == 0, "whole records");
  fuzzing::check(mesh.coordinateSpans.size() == 2 * mesh.positions.size(), "a span per coordinate");
  fuzzing::check(mesh.faceStart.front() == 0 && mesh.faceStart.back() == mesh.cornerVertex.size(),
                 "faces cover the corners");
  for (size_t f = 0; f + 1 < mesh.faceStart.size(); ++f)
    fuzzing::check(mesh.faceStart[f + 1] >= mesh.faceStart[f] + 3, "a face has three corners");
  for (size_t c = 0; c < mesh.cornerVertex.size(); ++c) {
    fuzzing::check(mesh.cornerVertex[c] >= 0 && mesh.cornerVertex[c] < mesh.vertexCount(),
                   "a corner names a vertex of the file");
    fuzzing::check(mesh.cornerUv[c] >= -1 && mesh.cornerUv[c] < int(mesh.uvs.size() / 2),
                   "a corner names a texture coordinate of the file");
  }
  for (int material : mesh.faceMaterial)
    fuzzing::check(material >= -1 && material < int(mesh.materials.size()), "materials exist");
  for (float value : mesh.positions)
    fuzzing::check(std::isfinite(value), "coordinates are finite");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Mesh mesh;
  if (!read(text, mesh))
    return 0;
  checkSound(mesh);
  std::ostringstream same;
  runner::obj::writeMorphed(same, mesh, mesh.positions.data());
  fuzzing::check(same.str() == text, "written unmoved, a file is its own bytes");

  std::vector<float> moved = mesh.positions;
  for (size_t i = 0; i < moved.size(); ++i)
    moved[i] = std::nextafter(moved[i], i % 2 ? 1e30f : -1e30f);
  for (float& value : moved)
    if (!std::isfinite(value))
      value = 0.5f;
  std::ostringstream out;
  runner::obj::writeMorphed(out, mesh, moved.data());
  Mesh back;
  fuzzing::check(read(out.str(), back), "a written file reads back");
  fuzzing::check(back.positions == moved, "it holds exactly the positions written");
  fuzzing::check(back.cornerVertex == mesh.cornerVertex && back.cornerUv == mesh.cornerUv &&
                     back.faceMaterial == mesh.faceMaterial && back.uvs == mesh.uvs,
                 "and the same faces");
  return 0;
}
