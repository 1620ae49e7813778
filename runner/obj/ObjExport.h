// Writing a mesh (ObjMesh.h) as a whole OBJ file, the way a modeling tool exports one: a header
// comment, the object's name, its vertices (each coordinate as the shortest text that reads back
// as the same float), texture coordinates, and its faces with `usemtl` wherever the material
// changes.
#pragma once

#include "ObjMesh.h"

#include <ostream>
#include <string>

namespace runner::obj {

struct ExportOptions {
  std::string comment;    // written as the file's first line, after "# "
  std::string objectName; // the `o` statement; none when empty
  bool uvs = true;        // corners as v/vt; otherwise v alone
};

void writeMesh(std::ostream& out, const Mesh& mesh, const ExportOptions& options);

} // namespace runner::obj
