// Reading Wavefront OBJ files into plain arrays (ObjMesh.h): `v` (x y z; further values such as
// colours are left alone), `vt`, `f` in every index form (v, v/vt, v//vn, v/vt/vn, negative
// indices counting back), `usemtl`; every other OBJ statement is counted and otherwise left out
// (`o`, `g`, `s`, `vn`, `l`, `p`, `mtllib`, free-form geometry). Any fault (a number that is not
// one, nan, an index past its list, a missing coordinate, bytes that are not OBJ text) stops the
// read with a FileError naming the file and the line.
#pragma once

#include "ObjMesh.h"

#include <istream>
#include <string>

namespace runner::obj {

enum class ReadPart {
  Mesh,          // vertices, texture coordinates, faces and materials
  PositionsOnly, // vertices only: the faces of a morph file are not needed
};

struct ReadOptions {
  ReadPart part = ReadPart::Mesh;
  bool keepText = false; // keep the bytes and coordinate offsets for writing outputs
};

Mesh readMesh(const std::string& path, const ReadOptions& options);
// The same from a stream; `name` names it in messages.
Mesh readMesh(std::istream& in, const std::string& name, const ReadOptions& options);

} // namespace runner::obj
