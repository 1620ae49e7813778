// Writing a morphed copy of an OBJ file: the file's own bytes with only the x, y and z texts of
// its `v` lines replaced, so that comments, normals, groups, faces and everything else (even a
// vertex's colour values and the line endings) stay byte for byte, and a diff shows the morph.
#pragma once

#include "ObjMesh.h"

#include <ostream>

namespace runner::obj {

// Writes `file.text` with vertex v's coordinates taken from positions[3 v .. 3 v + 2]. A
// coordinate whose float is unchanged keeps its text; a changed one is written as the shortest
// text that reads back as the same float. `file` must have been read with keepText.
void writeMorphed(std::ostream& out, const Mesh& file, const float* positions);

} // namespace runner::obj
