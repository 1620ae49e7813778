#include "DirectoryLock.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <cctype>
#include <cstdint>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace runner {

#ifdef _WIN32

DirectoryLock::DirectoryLock(const std::string& directory, double waitSeconds) {
  char full[MAX_PATH * 4];
  const DWORD length =
      GetFullPathNameA(directory.empty() ? "." : directory.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full)
    return;
  // One mutex name per folder: FNV-1a of the full path, letters folded as Windows folds them.
  std::uint64_t hash = 14695981039346656037ull;
  for (DWORD i = 0; i < length; ++i) {
    const char c = full[i] == '/' ? '\\' : full[i];
    hash = (hash ^ static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)))) *
           1099511628211ull;
  }
  const std::string name = "Local\\tovalinder-documents-" + std::to_string(hash);
  mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());
  if (!mutex_)
    return;
  const DWORD waited = WaitForSingleObject(mutex_, static_cast<DWORD>(waitSeconds * 1000));
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

DirectoryLock::~DirectoryLock() {
  if (held_)
    ReleaseMutex(mutex_);
  if (mutex_)
    CloseHandle(mutex_);
}

#else

DirectoryLock::DirectoryLock(const std::string& directory, double waitSeconds) {
  fd_ = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0)
    return;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(waitSeconds);
  for (;;) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
      return;
    }
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline)
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

DirectoryLock::~DirectoryLock() {
  if (fd_ >= 0)
    ::close(fd_); // releases the lock
}

#endif

} // namespace runner
