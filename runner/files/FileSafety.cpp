#include "FileSafety.h"

#include "NativeFiles.h"
#include "Utf8.h"

#include <filesystem>
#include <map>
#include <optional>

namespace runner {

namespace {

namespace fs = std::filesystem;
using native::FileKind;

const char* describeKind(FileKind kind) {
  switch (kind) {
  case FileKind::Folder:
    return "a folder";
  case FileKind::CharacterDevice:
    return "a character device";
  case FileKind::BlockDevice:
    return "a block device";
  case FileKind::Fifo:
    return "a named pipe (FIFO)";
  case FileKind::Socket:
    return "a socket";
  case FileKind::Link:
    return "a symbolic link";
  default:
    return "not a regular file";
  }
}

// Where a path's directory entry lies, and which real file it names now (if any). Two paths are
// the same place when their entries are (same folder, same name) or they name the same file.
struct Place {
  std::string entry;
  std::optional<native::FileIdentity> file;
  bool operator==(const Place& o) const {
    return entry == o.entry || (file && o.file && *file == *o.file);
  }
};

std::string caseOfSystem(std::string name) {
#ifdef _WIN32
  for (char& c : name) // names differing only in ASCII case are one file on Windows
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
#endif
  return name;
}

Place placeOf(const std::string& path) {
  Place place;
  place.file = native::identityOf(path);
  const fs::path p(path);
  const std::string folder = p.has_parent_path() ? p.parent_path().string() : ".";
  const std::optional<native::FileIdentity> folderId = native::identityOf(folder);
  if (folderId && p.has_filename()) {
    place.entry = std::to_string(folderId->device) + ":" + std::to_string(folderId->number) + "/" +
                  caseOfSystem(p.filename().string());
  } else {
    // The folder does not exist yet (or the path names a folder): compare the spelled-out paths.
    std::error_code ignored;
    place.entry = caseOfSystem(fs::weakly_canonical(fs::absolute(p, ignored), ignored).string());
  }
  return place;
}

std::string describe(const FileGroup& group, size_t index) {
  if (index == 0)
    return group.what + " " + quoted(group.paths[0]);
  return "the side file " + quoted(group.paths[index]) + " of " + group.what + " " +
         quoted(group.paths[0]);
}

struct Located {
  const FileGroup* group;
  size_t index;
  Place place;
};

std::string describeBoth(const Located& a, const Located& b) {
  if (a.group == b.group)
    return describe(*a.group, a.index) + " and its own side file are the same file";
  return describe(*a.group, a.index) + " and " + describe(*b.group, b.index) + " are the same file";
}

void checkKind(const FileGroup& group, size_t index) {
  const std::string& path = group.paths[index];
  FileKind kind = native::kindAt(path, false);
  std::string linkTo;
  if (kind == FileKind::Link) {
    kind = native::kindAt(path, true);
    linkTo = "a symbolic link to ";
  }
  if (kind != FileKind::Missing && kind != FileKind::Regular)
    throw OutputRefusal(describe(group, index) + " is " + linkTo + describeKind(kind) +
                        ": name a file to write");
}

std::vector<Located> locate(const std::vector<FileGroup>& groups) {
  std::vector<Located> all;
  for (const FileGroup& g : groups)
    for (size_t i = 0; i < g.paths.size(); ++i)
      all.push_back({&g, i, placeOf(g.paths[i])});
  return all;
}

void checkAgainstInput(const Located& out, const Located& in, const FileCheckOptions& options) {
  const FileGroup& o = *out.group;
  const FileGroup& i = *in.group;
  const bool wholeDocument = o.document && i.document && placeOf(o.paths[0]) == placeOf(i.paths[0]);
  if (wholeDocument && options.replaceInput)
    return;
  std::string message = describe(o, out.index) + " is " + describe(i, in.index);
  if (wholeDocument)
    message += ": give " + options.replaceFlag + " to replace the input with the result";
  else
    message += ": writing it would destroy the input; choose another name";
  throw OutputRefusal(message);
}

} // namespace

void checkOutputs(const std::vector<FileGroup>& inputs, const std::vector<FileGroup>& outputs,
                  const FileCheckOptions& options) {
  for (const FileGroup& g : outputs)
    for (size_t i = 0; i < g.paths.size(); ++i)
      checkKind(g, i);
  const std::vector<Located> in = locate(inputs), out = locate(outputs);
  // Outputs among themselves by entry and by real file: thousands of pictures stay quick.
  std::map<std::string, size_t> entries;
  std::map<std::pair<std::uint64_t, std::uint64_t>, size_t> files;
  for (size_t a = 0; a < out.size(); ++a) {
    for (const Located& b : in)
      if (out[a].place == b.place)
        checkAgainstInput(out[a], b, options);
    auto entry = entries.emplace(out[a].place.entry, a);
    auto file =
        out[a].place.file
            ? files.emplace(std::make_pair(out[a].place.file->device, out[a].place.file->number), a)
            : std::make_pair(files.end(), true);
    if (!entry.second || !file.second) {
      const Located& b = out[entry.second ? file.first->second : entry.first->second];
      throw OutputRefusal(describeBoth(b, out[a]) + ": choose different names");
    }
  }
}

} // namespace runner
