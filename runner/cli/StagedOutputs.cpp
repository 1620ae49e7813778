#include "StagedOutputs.h"

#include "CleanupOnSignal.h"
#include "TransferRun.h"

#include <filesystem>

namespace runner {

StagedOutputs::~StagedOutputs() {
  files_.clear(); // removes the temporaries not committed
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
    native::removeEmptyFolder(it->first);
    cleanup::forget(it->second);
  }
}

void StagedOutputs::makeFolder(const std::string& path) {
  std::filesystem::path prefix;
  for (const std::filesystem::path& part : std::filesystem::path(path)) {
    prefix /= part;
    const std::string name = prefix.string();
    const native::FileKind kind = native::kindAt(name, true);
    if (kind == native::FileKind::Folder || part.empty())
      continue;
    if (kind != native::FileKind::Missing)
      throw RunError(kExitFailure, name + ": cannot make the folder: something else is there");
    const cleanup::SignalsHeld held; // made and remembered together
    if (!native::makeFolder(name))
      throw RunError(kExitFailure, name + ": cannot make the folder");
    folders_.emplace_back(name, cleanup::rememberFolder(name));
  }
}

void StagedOutputs::add(const std::string& path, const std::string& bytes) {
  auto file = std::make_unique<AtomicFile>(path);
  if (!file->open())
    throw RunError(kExitFailure, path + ": cannot create the file (" + file->error() + ")");
  file->stream().write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file->finish())
    throw RunError(kExitFailure, path + ": " + file->error());
  files_.push_back(std::move(file));
}

void StagedOutputs::commit() {
  for (const std::unique_ptr<AtomicFile>& file : files_)
    if (!file->commit())
      throw RunError(kExitFailure, file->target() + ": " + file->error());
  files_.clear();
  for (const auto& [folder, ticket] : folders_)
    cleanup::forget(ticket);
  folders_.clear();
}

} // namespace runner
