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

std::ostream& OutputSet::open(const std::string& path) {
  finishOpen();
  auto file = std::make_unique<AtomicFile>(path);
  if (!file->open())
    throw FileError(path + ": cannot create the file (" + file->error() + ")");
  files_.push_back(std::move(file));
  lastOpen_ = true;
  return files_.back()->stream();
}

void OutputSet::add(const std::string& path, const std::string& bytes) {
  open(path).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  finishOpen();
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
  for (const std::function<void()>& step : commits_)
    step();
  commits_.clear();
  for (const std::unique_ptr<AtomicFile>& file : files_)
    if (!file->commit())
      throw FileError(file->target() + ": " + file->error());
  files_.clear();
  for (const auto& [folder, ticket] : folders_)
    cleanup::forget(ticket);
  folders_.clear();
}

} // namespace runner
