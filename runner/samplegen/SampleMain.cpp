// tovalinder-sample: writes the sample character document, or a larger one for measurements.
#include "DocumentFile.h"
#include "DocumentRunFiles.h"
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

struct Arguments {
  int vertices = 0, morphs = 5;
  runner::DataLayout layout = runner::DataLayout::Automatic;
  std::string output, edited, objFolder;
  bool dense = false, help = false, version = false;
};

// Answers false, with the reason on the standard error, for arguments it cannot use.
bool parse(int argc, char** argv, Arguments& a) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--version") {
      a.version = true;
    } else if (hasValue && ((arg == "--vertices" && number(argv[i + 1], a.vertices)) ||
                            (arg == "--morphs" && number(argv[i + 1], a.morphs)))) {
      ++i;
    } else if (arg == "--layout" && hasValue) {
      try {
        a.layout = runner::layoutNamed(argv[++i]);
      } catch (const runner::RunError& e) {
        std::cerr << "tovalinder-sample: " << e.what() << "\n";
        return false;
      }
    } else if (arg == "--dense") {
      a.dense = true;
    } else if (arg == "--obj" && hasValue && a.objFolder.empty()) {
      a.objFolder = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && a.output.empty()) {
      a.output = arg;
    } else if (!arg.empty() && arg[0] != '-' && a.edited.empty() && runner::isGltfPath(a.output) &&
               runner::isGltfPath(arg)) {
      a.edited = arg;
    } else {
      std::cerr << "tovalinder-sample: cannot use \"" << arg << "\" here\n" << kUsage;
      return false;
    }
  }
  if (!a.help && !a.version && a.output.empty() == a.objFolder.empty()) {
    std::cerr << kUsage;
    return false;
  }
  return true;
}

void write(const Arguments& a) {
  runner::SampleOptions options;
  if (a.vertices)
    options = runner::sampleOptionsForVertices(a.vertices, a.morphs);
  options.morphs = a.morphs;
  if (runner::isGltfPath(a.output)) {
    runner::writeSampleGltf(options, a.output, a.edited, !a.dense);
    return;
  }
  sim::Host host;
  sim::Document& document = host.newDocument();
  runner::buildSampleDocument(document, options);
  if (a.objFolder.empty())
    runner::writeDocument(a.output, document, a.layout);
  else
    runner::obj::writeMorphSet(document, a.objFolder);
}

} // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!parse(argc, argv, arguments))
    return 2;
  if (arguments.help) {
    std::cout << kUsage;
    return 0;
  }
  if (arguments.version) {
    std::cout << "tovalinder-sample " << TOVALINDER_VERSION_TEXT << "\n";
    return 0;
  }
  try {
    write(arguments);
  } catch (const std::exception& e) {
    std::cerr << "tovalinder-sample: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
