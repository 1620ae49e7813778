// tovalinder-sample: writes the sample character document, or a larger one for measurements.
#include "DocumentFile.h"
#include "GltfAsset.h"
#include "MorphSetExport.h"
#include "SampleCharacter.h"
#include "SampleGltf.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

const char kUsage[] =
    "Usage: tovalinder-sample [--vertices N] [--morphs M] [--layout L] OUTPUT.json\n"
    "       tovalinder-sample [--vertices N] [--morphs M] --obj FOLDER\n"
    "       tovalinder-sample [--vertices N] [--morphs M] [--dense] SOURCE.glb [EDITED.glb]\n"
    "\n"
    "Writes a character-like document: the Source \"Body\" with M morph elements\n"
    "(\"elem:<morph>-Body\"), and an edited copy \"BodyEdited\" with a new edge loop,\n"
    "a deleted pole, a moved nose and re-triangulated faces. Both are selected.\n"
    "\n"
    "  --vertices N   about N vertices in the body (default 2100, the bundled sample)\n"
    "  --morphs M     number of morph elements (default 5)\n"
    "  --layout L     readable, base64, binary (side file OUTPUT.<hash>.bin) or auto (default)\n"
    "  --dense        glTF: morph targets as plain arrays, never sparse\n"
    "  --version      the tool's version\n"
    "\n"
    "glTF: the Source mesh \"Body\" with its morphs as targets, plus closed lips, and the\n"
    "edited copy with a new UV island round its new loop: in EDITED.glb (also named\n"
    "\"Body\") when given, else as \"BodyEdited\" in SOURCE.glb.\n"
    "  --obj FOLDER   write the same as OBJ files instead: FOLDER/Body.obj, one file per\n"
    "                 morph in FOLDER/shapes/, and FOLDER/BodyEdited.obj\n"
    "\n"
    "Examples: tovalinder-sample --vertices 100000 --morphs 50 big.json\n"
    "          tovalinder-sample --obj character\n"
    "          tovalinder-sample character.glb edited.glb\n";

bool number(const char* text, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (!*text || *end || value < 1 || value > 50000000)
    return false;
  out = static_cast<int>(value);
  return true;
}

} // namespace

int main(int argc, char** argv) {
  int vertices = 0, morphs = 5;
  runner::DataLayout layout = runner::DataLayout::Automatic;
  std::string output, edited, objFolder;
  bool dense = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--version") {
      std::cout << "tovalinder-sample " << TOVALINDER_VERSION_TEXT << "\n";
      return 0;
    } else if (hasValue && ((arg == "--vertices" && number(argv[i + 1], vertices)) ||
                            (arg == "--morphs" && number(argv[i + 1], morphs)))) {
      ++i;
    } else if (arg == "--layout" && hasValue) {
      const std::string name = argv[++i];
      if (name == "readable")
        layout = runner::DataLayout::Readable;
      else if (name == "base64")
        layout = runner::DataLayout::Base64;
      else if (name == "binary")
        layout = runner::DataLayout::SideFile;
      else if (name != "auto") {
        std::cerr << "tovalinder-sample: unknown layout \"" << name << "\"\n";
        return 2;
      }
    } else if (arg == "--dense") {
      dense = true;
    } else if (arg == "--obj" && hasValue && objFolder.empty()) {
      objFolder = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && output.empty()) {
      output = arg;
    } else if (!arg.empty() && arg[0] != '-' && edited.empty() && runner::isGltfPath(output) &&
               runner::isGltfPath(arg)) {
      edited = arg;
    } else {
      std::cerr << "tovalinder-sample: cannot use \"" << arg << "\" here\n" << kUsage;
      return 2;
    }
  }
  if (output.empty() == objFolder.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  runner::SampleOptions options;
  if (vertices)
    options = runner::sampleOptionsForVertices(vertices, morphs);
  options.morphs = morphs;
  try {
    sim::Document document;
    if (runner::isGltfPath(output)) {
      runner::writeSampleGltf(options, output, edited, !dense);
      return 0;
    }
    runner::buildSampleDocument(document, options);
    if (objFolder.empty())
      runner::writeDocument(output, document, layout);
    else
      runner::obj::writeMorphSet(document, objFolder);
  } catch (const std::exception& e) {
    std::cerr << "tovalinder-sample: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
