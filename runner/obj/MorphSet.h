// The morph files of an OBJ run, from the --morph arguments: FILE (the morph is named after the
// file's stem), NAME=FILE, or a pattern such as 'shapes/*.obj' expanded by the runner itself.
// Each morph becomes the element "elem:<name>-<Source>", and its output file is named like its
// input (NAME.obj when a NAME was given).
#pragma once

#include <string>
#include <vector>

namespace runner::obj {

struct MorphFile {
  std::string name;   // the morph's name
  std::string file;   // the file it is read from
  std::string output; // the output's file name (no folder)
};

// Throws RunError: usage for a bad or repeated name, bad input for a pattern that matches no
// file. Files a pattern matches that are among `inputs` (the Source and the Destination) are
// left out.
std::vector<MorphFile> morphFiles(const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& inputs);

} // namespace runner::obj
