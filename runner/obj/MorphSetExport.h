// A document's Source, its morph elements and the Destination written as a set of OBJ files, the
// way sculpting and wrapping tools exchange blend shapes: FOLDER/<Source>.obj (with UVs and
// materials), FOLDER/shapes/<morph>.obj (vertices and faces only) and FOLDER/<Destination>.obj.
// The Source and Destination are the first and second objects selected in the object list.
#pragma once

#include "SimHost.h"

#include <string>
#include <vector>

namespace runner::obj {

// Writes the files (each whole or not at all) and answers their paths: Source, morphs,
// Destination. Throws FileError.
std::vector<std::string> writeMorphSet(const sim::Document& document, const std::string& folder);

} // namespace runner::obj
