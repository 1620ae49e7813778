#include "CommandLine.h"

#include "GltfAsset.h"
#include "dialog/DialogOptions.h"
#include "dialog/TextConversion.h"

namespace runner {

namespace {

RunError usage(const std::string& what) {
  return RunError(kExitUsage, what);
}

DataLayout layoutNamed(const std::string& name) {
  if (name == "auto")
    return DataLayout::Automatic;
  if (name == "readable")
    return DataLayout::Readable;
  if (name == "base64")
    return DataLayout::Base64;
  if (name == "binary")
    return DataLayout::SideFile;
  throw usage("--layout " + name + ": use auto, readable, base64 or binary");
}

} // namespace

std::string defaultOutputFor(const std::string& input) {
  const size_t slash = input.find_last_of("/\\");
  std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
  const size_t dot = name.rfind('.');
  std::string extension = ".json";
  if (isGltfPath(name))
    extension = name.substr(dot);
  if (dot != std::string::npos && dot > 0)
    name.resize(dot);
  return name + "-transferred" + extension;
}

std::string usageText() {
  std::string text =
      "Usage: tovalinder-run [OPTIONS] DOCUMENT.json\n"
      "       tovalinder-run [OPTIONS] --source BASE.obj --morph FILE... --destination EDITED.obj\n"
      "                      --output-dir FOLDER\n"
      "       tovalinder-run [OPTIONS] SOURCE.glb [DESTINATION.glb]   (.glb, .gltf or .vrm)\n"
      "\n"
      "Runs the Tovalinder command of the real plug-in on a document file, as a modeler runs it\n"
      "in the host: the first object selected in the document's object list is the Source, the\n"
      "second the Destination; the options dialog is worked with the choices below (the\n"
      "dialog's own initial state where none is given), then the result is written and a\n"
      "report printed.\n"
      "\n"
      "Files:\n"
      "  -o, --output FILE       write the result to FILE (default: NAME-transferred.json in the\n"
      "                          current folder); written whole or not at all\n"
      "      --layout L          auto (default), readable, base64, or binary (numbers in a side\n"
      "                          file FILE.<hash>.bin beside FILE)\n"
      "      --force             let -o name the input document and replace it with the\n"
      "                          result (never its side file alone, never another output)\n"
      "      --dry-run           run and report, but write no document\n"
      "      --report FORMAT     text (default) or json\n"
      "      --show-dialog FILE  write the options dialog as shown just before OK (HTML page)\n"
      "      --pictures FOLDER   write one PNG per new element: the Source morph (left) beside\n"
      "                          the transferred morph (right); added vertices marked\n"
      "      --plugin FILE       the plug-in module to load (default: the one beside this\n"
      "                          program, else the one in ../lib/tovalinder from its folder)\n"
      "      --[no-]progress     show the stage and how far it is on the standard error (by\n"
      "                          default on a terminal, for runs over a second)\n"
      "\n"
      "Added vertices (those without a Source vertex, when the morph is interpolated for them):\n"
      "      --added-vertices M  plugin (default): exactly what the plug-in wrote, an inverse\n"
      "                          squared distance blend of the matched vertices round them;\n"
      "                          surface: the Source morph at their closest point of the Source\n"
      "                          surface (a harmonic blend of their neighbours where the edit\n"
      "                          built away from it); matched vertices stay as the plug-in made\n"
      "                          them\n"
      "\n"
      "glTF files: the Source mesh's morph targets are carried onto the Destination mesh and\n"
      "written into a copy of the Destination's file (-o, same kind: .glb/.vrm or .gltf); the\n"
      "rest of that file is kept. Vertices are paired by position (glTF has no unique IDs).\n"
      "\n"
      "Source and Destination (default: the document's object-list selection; glTF: the one\n"
      "mesh with morph targets, and the mesh of its name in the second file, else that file's\n"
      "only mesh, else the one other mesh of a single file):\n"
      "      --source NAME       select the object (glTF: node or mesh) named NAME as the Source\n"
      "      --destination NAME  and this one as the Destination (it must come after the Source)\n"
      "\n"
      "The options dialog:\n"
      "      --element NAME      pick this list item (repeatable); without it the list keeps its\n"
      "                          own picks: every unlocked element\n"
      "      --rate PERCENT      the Rate field (default 100: the whole morph)\n"
      "      --cancel            press Cancel instead of OK\n";
  bool filtersBegun = false;
  for (size_t i : dialog::optionsInSettingsOrder()) {
    const dialog::DialogOption& o = dialog::kDialogOptions[i];
    if (o.kind == dialog::OptionKind::ListFilter && !filtersBegun) {
      filtersBegun = true;
      text += "  List filters:\n";
    }
    text += std::string("      --[no-]") + o.flag + " (" + (o.initiallyChecked ? "on" : "off") +
            " by default)\n          " + o.meaning + "\n          [" + o.caption + "]\n";
  }
  text += "\n"
          "  -h, --help              this text\n"
          "      --version           the runner's version\n"
          "\n"
          "Exit status: 0 done, 1 failure (plug-in or file writing), 2 bad usage (an output\n"
          "that is an input, another output, a folder, a device or a pipe included), 3 bad input\n"
          "(document, names, elements), 4 cancelled; stopped by a signal (Ctrl-C), the program\n"
          "dies of it. Nothing is written unless the status is 0.\n"
          "\n"
          "Examples:\n"
          "  tovalinder-run samples/character.json\n"
          "  tovalinder-run samples/character.json -o edited.json --pictures pictures\n"
          "  tovalinder-run samples/character.json --element elem:smile-Body --rate 50 \\\n"
          "      --no-create-backup-elements --dry-run\n"
          "  tovalinder-run scene.json --source Head --destination HeadNew --no-use-unique-ids \\\n"
          "      --mirror-morph --report json -o scene-out.json\n"
          "  tovalinder-run character.glb edited.glb -o edited-with-morphs.glb\n"
          "  tovalinder-run avatar.vrm --source Face --destination FaceEdited -o out.vrm\n";
  return text + modelFileUsageText();
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      if (line.input.empty())
        line.input = arg;
      else if (line.secondInput.empty() && isGltfPath(line.input) && isGltfPath(arg))
        line.secondInput = arg;
      else
        throw usage("one document at a time: \"" +
                    (line.secondInput.empty() ? line.input : line.secondInput) + "\" and \"" + arg +
                    "\" given" +
                    (isGltfPath(arg) ? " (at most two glTF files: the Source's, then the "
                                       "Destination's)"
                                     : ""));
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string value;
    bool hasInlineValue = false;
    if (arg.rfind("--", 0) == 0) {
      const size_t equals = arg.find('=');
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
        arg.resize(equals);
        hasInlineValue = true;
      }
    }
    auto takeValue = [&]() -> std::string {
      if (hasInlineValue)
        return value;
      if (i + 1 >= argc)
        throw usage(arg + " needs a value");
      return argv[++i];
    };
    auto noValue = [&]() {
      if (hasInlineValue)
        throw usage(arg + " takes no value");
    };
    if (arg == "-h" || arg == "--help") {
      noValue();
      line.help = true;
    } else if (arg == "--version") {
      noValue();
      line.version = true;
    } else if (arg == "-o" || arg == "--output") {
      line.output = takeValue();
      if (line.output.empty())
        throw usage(arg + " needs a file name");
    } else if (arg == "--layout") {
      line.layout = layoutNamed(takeValue());
    } else if (arg == "--dry-run") {
      noValue();
      line.dryRun = true;
    } else if (arg == "--report") {
      const std::string format = takeValue();
      if (format != "text" && format != "json")
        throw usage("--report " + format + ": use text or json");
      line.jsonReport = format == "json";
    } else if (arg == "--show-dialog") {
      line.dialogPage = takeValue();
      if (line.dialogPage.empty())
        throw usage(arg + " needs a file name");
    } else if (arg == "--pictures") {
      line.picturesFolder = takeValue();
      if (line.picturesFolder.empty())
        throw usage(arg + " needs a folder name");
    } else if (arg == "--progress" || arg == "--no-progress") {
      noValue();
      line.progress = arg == "--progress" ? ProgressMode::Always : ProgressMode::Never;
    } else if (arg == "--added-vertices") {
      const std::string mode = takeValue();
      if (!modeNamed(mode, line.addedVertices))
        throw usage("--added-vertices " + mode + ": use " + nameOf(AddedVerticesMode::Plugin) +
                    " or " + nameOf(AddedVerticesMode::Surface));
    } else if (arg == "--plugin") {
      line.plugin = takeValue();
    } else if (arg == "--source") {
      line.request.sourceName = takeValue();
    } else if (arg == "--destination") {
      line.request.destinationName = takeValue();
    } else if (arg == "--element") {
      line.request.dialog.pickElements = true;
      line.request.dialog.elements.push_back(takeValue());
    } else if (arg == "--rate") {
      line.request.dialog.rateText = takeValue();
    } else if (arg == "--morph") {
      line.morphs.push_back(takeValue());
    } else if (arg == "--output-dir") {
      line.outputFolder = takeValue();
      if (line.outputFolder.empty())
        throw usage(arg + " needs a folder name");
    } else if (arg == "--force") {
      noValue();
      line.force = true;
    } else if (arg == "--cancel") {
      noValue();
      line.request.dialog.cancel = true;
    } else {
      bool known = false;
      for (size_t o = 0; o < dialog::kDialogOptionCount && !known; ++o) {
        const std::string flag = dialog::kDialogOptions[o].flag;
        if (arg == "--" + flag || arg == "--no-" + flag) {
          noValue();
          line.request.dialog.options[o] = arg == "--" + flag;
          known = true;
        }
      }
      if (!known)
        throw usage("unknown option " + arg);
    }
  }
  completeModelFileRun(line);
  if (line.input.empty() && line.sourceFile.empty() && !line.help && !line.version)
    throw usage("no document given");
  if (line.request.dialog.rateText && !isTypableNumber(*line.request.dialog.rateText))
    throw usage("--rate \"" + *line.request.dialog.rateText +
                "\": the Rate field takes a number such as 100, 50, -20 or 12.5");
  // The plug-in keeps the rate as a single-precision number and reads one beyond it as 0: no
  // vertex would move, which is not what the user asked for.
  if (line.request.dialog.rateText && !textconv::rateIsFinite(*line.request.dialog.rateText))
    throw usage("--rate \"" + *line.request.dialog.rateText +
                "\": the Rate field cannot carry it (the largest is about 3.4e40 percent)");
  if (line.output.empty() && line.sourceFile.empty())
    line.output = defaultOutputFor(line.secondInput.empty() ? line.input : line.secondInput);
  return line;
}

} // namespace runner
