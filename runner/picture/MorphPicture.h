// A picture of a transferred morph for a modeler to judge: the Source element (left) beside the
// new element (right), each mesh shaded from the front, framed on the part the morph moves, and
// coloured by how far each vertex moved from its base object (grey: not at all, through yellow,
// to red: the most), with the vertices the Destination added marked in cyan (magenta where the
// surface mode rewrote them): the colours of MorphColours.h. Rasterised in-process and written as
// a PNG with stb_image_write.
#pragma once

#include "RunAnalysis.h"
#include "SimHost.h"

#include <string>
#include <vector>

namespace runner {

struct MorphPictureInput {
  const sim::Object* source = nullptr;
  const sim::Object* oldElement = nullptr;
  const sim::Object* destination = nullptr;
  const sim::Object* newElement = nullptr;
  const Correspondence* correspondence = nullptr;
  const std::vector<char>* changed = nullptr; // by Destination vertex: rewritten after the run
};

// The PNG bytes of the picture (empty when it cannot be made).
std::string renderMorphPicturePng(const MorphPictureInput& input, int& width, int& height);

} // namespace runner
