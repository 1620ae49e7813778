#include "AtomicFile.h"

#include <cstdio>
#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

namespace runner {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
  discard();
}

bool AtomicFile::open() {
  std::random_device random;
  temporary_ = target_ + ".tmp" + std::to_string(random() % 1000000u);
  stream_.open(temporary_, std::ios::binary | std::ios::trunc);
  pending_ = stream_.is_open();
  return pending_;
}

bool AtomicFile::commit() {
  if (!pending_)
    return false;
  stream_.flush();
  const bool written = static_cast<bool>(stream_);
  stream_.close();
  if (!written || stream_.fail()) {
    discard();
    return false;
  }
#ifdef _WIN32
  const bool renamed =
      MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  const bool renamed = std::rename(temporary_.c_str(), target_.c_str()) == 0;
#endif
  if (!renamed) {
    discard();
    return false;
  }
  pending_ = false;
  return true;
}

void AtomicFile::discard() {
  if (!pending_)
    return;
  if (stream_.is_open())
    stream_.close();
  std::remove(temporary_.c_str());
  pending_ = false;
}

} // namespace runner
