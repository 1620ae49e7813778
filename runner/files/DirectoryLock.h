// Serialises the writers of one folder's documents, across processes: a write holds the lock
// from its first file to its last clean-up, so that clean-up never takes a side file another
// write is about to commit. Released by the system when a process dies. POSIX: flock on the
// folder itself; Windows: a named mutex per folder.
#pragma once

#include <string>

namespace runner {

class DirectoryLock {
public:
  // Waits up to the given time; held() tells whether the lock was taken (not on a file system
  // without locks, nor when another writer keeps it longer).
  DirectoryLock(const std::string& directory, double waitSeconds);
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;
  bool held() const { return held_; }

private:
  bool held_ = false;
#ifdef _WIN32
  void* mutex_ = nullptr;
#else
  int fd_ = -1;
#endif
};

} // namespace runner
