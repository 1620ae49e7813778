#include "MorphSet.h"

#include "FilePattern.h"
#include "TransferRun.h"

#include <filesystem>
#include <set>

namespace runner::obj {

namespace fs = std::filesystem;

namespace {

std::string inQuotes(const std::string& text) {
  return "\"" + text + "\"";
}

// A morph name the host ties to its base: the element's name is "elem:<morph>-<base>" and the
// first "-" separates the two, so a morph name cannot hold one.
void checkName(const std::string& name, const std::string& argument) {
  std::string why;
  if (name.empty())
    why = "an empty name";
  else if (name.find('-') != std::string::npos)
    why = "a \"-\" (the host ties an element to its base at the first \"-\" of its name)";
  else if (name.size() > 200)
    why = "a name longer than the host's names";
  if (!why.empty())
    throw RunError(kExitUsage, "--morph " + inQuotes(argument) + ": the morph name " +
                                   inQuotes(name) + " has " + why +
                                   "; give it another with --morph NAME=FILE");
}

void addMorph(std::vector<MorphFile>& morphs, const std::string& argument, std::string name,
              const std::string& file) {
  const fs::path path(file);
  const bool named = !name.empty();
  if (!named)
    name = path.stem().string();
  checkName(name, argument);
  for (const MorphFile& other : morphs)
    if (other.name == name)
      throw RunError(kExitUsage, "two morphs are named " + inQuotes(name) + " (" + other.file +
                                     " and " + file + "); name one with --morph NAME=FILE");
  morphs.push_back(MorphFile{name, file, named ? name + ".obj" : path.filename().string()});
}

} // namespace

std::vector<MorphFile> morphFiles(const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& inputs) {
  std::vector<MorphFile> morphs;
  for (const std::string& argument : arguments) {
    // NAME=FILE when what precedes the first "=" is a name, not a path.
    std::string name, file = argument;
    const size_t equals = argument.find('=');
    if (equals != std::string::npos && argument.find_first_of("/\\") > equals) {
      name = argument.substr(0, equals);
      file = argument.substr(equals + 1);
      checkName(name, argument);
    }
    if (file.empty())
      throw RunError(kExitUsage, "--morph " + inQuotes(argument) + ": no file given");
    if (!hasWildcards(file)) {
      addMorph(morphs, argument, name, file);
      continue;
    }
    std::vector<std::string> matches;
    for (const std::string& match : expandPattern(file)) {
      bool input = false;
      for (const std::string& other : inputs)
        input = input || isSameFile(match, other);
      if (!input)
        matches.push_back(match);
    }
    if (matches.empty())
      throw RunError(kExitBadInput, "--morph " + inQuotes(argument) + ": no morph file matches");
    if (!name.empty() && matches.size() > 1)
      throw RunError(kExitUsage, "--morph " + inQuotes(argument) + ": one name for " +
                                     std::to_string(matches.size()) + " files");
    for (const std::string& match : matches)
      addMorph(morphs, argument, name, match);
  }
  std::set<std::string> outputs;
  for (const MorphFile& morph : morphs)
    if (!outputs.insert(morph.output).second)
      throw RunError(kExitUsage, "two morphs would be written to the same file " +
                                     inQuotes(morph.output) + "; name one with --morph NAME=FILE");
  return morphs;
}

} // namespace runner::obj
