#include "OutputSet.h"

#include "CleanupOnSignal.h"
#include "FileError.h"

#include <filesystem>

namespace runner {

OutputSet::~OutputSet() {
  files_.clear(); // removes the temporaries not committed
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
    native::removeEmptyFolder(it->first);
    cleanup::forget(it->second);
  }
}

void OutputSet::makeFolder(const std::string& path) {
  std::filesystem::path prefix;
  for (const std::filesystem::path& part : std::filesystem::path(path)) {
    prefix /= part;
    const std::string name = prefix.string();
    const native::FileKind kind = native::kindAt(name, true);
    if (kind == native::FileKind::Folder || part.empty())
      continue;
    if (kind != native::FileKind::Missing)
      throw FileError(name + ": cannot make the folder: something else is there");
    const cleanup::SignalsHeld held; // made and remembered together
    if (!native::makeFolder(name))
      throw FileError(name + ": cannot make the folder");
    folders_.emplace_back(name, cleanup::rememberFolder(name));
  }
}

void OutputSet::finishOpen() {
  if (!lastOpen_)
    return;
  lastOpen_ = false;
  AtomicFile& file = *files_.back();
  if (!file.finish())
    throw FileError(file.target() + ": " + file.error());
}

std::ostream& OutputSet::open(const std::string& path, ReadBack readBack) {
  finishOpen();
  auto file = std::make_unique<AtomicFile>(path);
  if (!file->open())
    throw FileError(path + ": cannot create the file (" + file->error() + ")");
  files_.push_back(std::move(file));
  readBacks_.push_back(std::move(readBack));
  lastOpen_ = true;
  return files_.back()->stream();
}

void OutputSet::add(const std::string& path, const std::string& bytes, ReadBack readBack) {
  open(path, std::move(readBack)).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  finishOpen();
}

std::string OutputSet::stagedPath(const std::string& path) const {
  const std::filesystem::path wanted = std::filesystem::path(path).lexically_normal();
  for (const std::unique_ptr<AtomicFile>& file : files_)
    if (std::filesystem::path(file->target()).lexically_normal() == wanted)
      return file->temporary();
  return path;
}

// A fault found here is the writer's or the disk's: the run fails (exit 1), not the input.
void OutputSet::readBack() const {
  for (size_t f = 0; f < files_.size(); ++f) {
    if (!readBacks_[f])
      continue;
    try {
      readBacks_[f](files_[f]->temporary());
    } catch (const FileError& e) {
      throw FileError(files_[f]->target(), "",
                      "the file written does not read back, so it was not put in place: " +
                          std::string(e.what()));
    }
  }
}

void OutputSet::addCommit(std::function<void()> commit) {
  commits_.push_back(std::move(commit));
}

std::vector<std::string> OutputSet::targets() const {
  std::vector<std::string> paths;
  for (const std::unique_ptr<AtomicFile>& file : files_)
    paths.push_back(file->target());
  return paths;
}

void OutputSet::commit() {
  finishOpen();
  readBack();
  for (const std::function<void()>& step : commits_)
    step();
  commits_.clear();
  for (const std::unique_ptr<AtomicFile>& file : files_)
    if (!file->commit())
      throw FileError(file->target() + ": " + file->error());
  files_.clear();
  readBacks_.clear();
  for (const auto& [folder, ticket] : folders_)
    cleanup::forget(ticket);
  folders_.clear();
}

} // namespace runner
