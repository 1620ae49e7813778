#include "CommandLine.h"

#include "FormatRegistry.h"
#include "dialog/DialogOptions.h"

namespace runner {

namespace {

RunError usage(const std::string& what) {
  return RunError(kExitUsage, what);
}

// One option of the command line: its names, whether it takes a value, and what it sets. A value
// comes after "=" or as the next argument; `name` is the option as the user wrote it.
struct Option {
  const char* name;
  const char* shortName; // or null
  bool takesValue;
  void (*apply)(CommandLine& line, const std::string& name, const std::string& value);
};

std::string nonEmpty(const std::string& name, const std::string& value, const char* what) {
  if (value.empty())
    throw usage(name + " needs " + what);
  return value;
}

const Option kOptions[] = {
    {"--help", "-h", false, [](CommandLine& l, auto&, auto&) { l.help = true; }},
    {"--version", nullptr, false, [](CommandLine& l, auto&, auto&) { l.version = true; }},
    {"--output", "-o", true,
     [](CommandLine& l, auto& n, auto& v) { l.files.output = nonEmpty(n, v, "a file name"); }},
    {"--layout", nullptr, true, [](CommandLine& l, auto&, auto& v) { l.files.layout = v; }},
    {"--dry-run", nullptr, false, [](CommandLine& l, auto&, auto&) { l.files.dryRun = true; }},
    {"--report", nullptr, true,
     [](CommandLine& l, auto&, auto& v) {
       if (v != "text" && v != "json")
         throw usage("--report " + v + ": use text or json");
       l.jsonReport = v == "json";
     }},
    {"--show-dialog", nullptr, true,
     [](CommandLine& l, auto& n, auto& v) { l.dialogPage = nonEmpty(n, v, "a file name"); }},
    {"--viewer", nullptr, true,
     [](CommandLine& l, auto& n, auto& v) { l.viewerPage = nonEmpty(n, v, "a file name"); }},
    {"--pictures", nullptr, true,
     [](CommandLine& l, auto& n, auto& v) { l.picturesFolder = nonEmpty(n, v, "a folder name"); }},
    {"--progress", nullptr, false,
     [](CommandLine& l, auto&, auto&) { l.progress = ProgressMode::Always; }},
    {"--no-progress", nullptr, false,
     [](CommandLine& l, auto&, auto&) { l.progress = ProgressMode::Never; }},
    {"--added-vertices", nullptr, true,
     [](CommandLine& l, auto&, auto& v) {
       if (!modeNamed(v, l.addedVertices))
         throw usage("--added-vertices " + v + ": use " + nameOf(AddedVerticesMode::Plugin) +
                     " or " + nameOf(AddedVerticesMode::Surface));
     }},
    {"--plugin", nullptr, true, [](CommandLine& l, auto&, auto& v) { l.plugin = v; }},
    {"--source", nullptr, true, [](CommandLine& l, auto&, auto& v) { l.files.source = v; }},
    {"--destination", nullptr, true,
     [](CommandLine& l, auto&, auto& v) { l.files.destination = v; }},
    {"--element", nullptr, true,
     [](CommandLine& l, auto&, auto& v) {
       l.request.dialog.pickElements = true;
       l.request.dialog.elements.push_back(v);
     }},
    {"--rate", nullptr, true,
     [](CommandLine& l, auto&, auto& v) { l.request.dialog.rateText = v; }},
    {"--morph", nullptr, true, [](CommandLine& l, auto&, auto& v) { l.files.morphs.push_back(v); }},
    {"--output-dir", nullptr, true,
     [](CommandLine& l, auto& n, auto& v) {
       l.files.outputFolder = nonEmpty(n, v, "a folder name");
     }},
    {"--force", nullptr, false, [](CommandLine& l, auto&, auto&) { l.files.force = true; }},
    {"--no-expressions", nullptr, false,
     [](CommandLine& l, auto&, auto&) { l.files.expressions = false; }},
    {"--cancel", nullptr, false,
     [](CommandLine& l, auto&, auto&) { l.request.dialog.cancel = true; }},
};

// A dialog option's flag ("--mirror-morph", "--no-mirror-morph"); false when it is none.
bool applyDialogFlag(CommandLine& line, const std::string& arg) {
  for (size_t o = 0; o < dialog::kDialogOptionCount; ++o) {
    const std::string flag = dialog::kDialogOptions[o].flag;
    if (arg == "--" + flag || arg == "--no-" + flag) {
      line.request.dialog.options[o] = arg == "--" + flag;
      return true;
    }
  }
  return false;
}

// Applies the option at argv[i], taking its value from the next argument when it has none after
// "="; answers the index of the last argument used.
int applyOption(CommandLine& line, int i, int argc, const char* const* argv) {
  std::string arg = argv[i], value;
  const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
  const bool inlineValue = equals != std::string::npos;
  if (inlineValue) {
    value = arg.substr(equals + 1);
    arg.resize(equals);
  }
  for (const Option& option : kOptions) {
    if (arg != option.name && !(option.shortName && arg == option.shortName))
      continue;
    if (!option.takesValue && inlineValue)
      throw usage(arg + " takes no value");
    if (option.takesValue && !inlineValue) {
      if (i + 1 >= argc)
        throw usage(arg + " needs a value");
      value = argv[++i];
    }
    option.apply(line, arg, value);
    return i;
  }
  if (inlineValue && applyDialogFlag(line, arg))
    throw usage(arg + " takes no value");
  if (!applyDialogFlag(line, arg))
    throw usage("unknown option " + arg);
  return i;
}

// The help's parts, in the order it shows them.
const char kUsageHead[] =
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
    "\n";

const char kFilesHelp[] =
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
    "      --viewer FILE       write one HTML page to look at the result in a browser: the\n"
    "                          Source (left) beside the result (right), turned together, a\n"
    "                          slider per morph; the state in the address (#element=NAME&\n"
    "                          weight=0..1&view=front|side|top), so a link shows the same view\n"
    "      --plugin FILE       the plug-in module to load (default: the one beside this "
    "program)\n"
    "      --[no-]progress     show the stage and how far it is on the standard error (by\n"
    "                          default on a terminal, for runs over a second)\n"
    "\n";

const char kChoicesHelp[] =
    "Added vertices (those without a Source vertex, when the morph is interpolated for them):\n"
    "      --added-vertices M  plugin (default): exactly what the plug-in wrote, an inverse\n"
    "                          squared distance blend of the matched vertices round them;\n"
    "                          surface: the Source morph at their closest point of the Source\n"
    "                          surface (a harmonic blend of their neighbours where the edit\n"
    "                          built away from it); matched vertices stay as the plug-in made\n"
    "                          them\n"
    "\n"
    "Source and Destination (default: the document's object-list selection; glTF: the one\n"
    "mesh with morph targets, and the mesh of its name in the second file, else that file's\n"
    "only mesh, else the one other mesh of a single file):\n"
    "      --source NAME       select the object (glTF: node or mesh) named NAME as the Source\n"
    "      --destination NAME  and this one as the Destination (it must come after the Source)\n"
    "\n";

const char kDialogHelp[] =
    "The options dialog:\n"
    "      --element NAME      pick this list item (repeatable); without it the list keeps its\n"
    "                          own picks: every unlocked element\n"
    "      --rate PERCENT      the Rate field (default 100: the whole morph)\n"
    "      --cancel            press Cancel instead of OK\n";

const char kHelpTail[] =
    "\n"
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

// The dialog's options as flags, from the dialog's own table.
std::string optionsHelp() {
  std::string text;
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
  return text;
}

} // namespace

std::string usageText() {
  return std::string(kUsageHead) + kFilesHelp + kChoicesHelp + kDialogHelp + optionsHelp() +
         kHelpTail + formatsUsageText();
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-")
      line.files.inputs.push_back(arg);
    else if (arg == "--")
      optionsEnded = true;
    else
      i = applyOption(line, i, argc, argv);
  }
  if (line.help || line.version)
    return line;
  checkFileArguments(line.files);
  if (line.request.dialog.rateText)
    checkRateText(*line.request.dialog.rateText);
  return line;
}

} // namespace runner
