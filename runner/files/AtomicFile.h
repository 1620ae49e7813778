// A file written under a temporary name beside its target and renamed over it on commit; a file
// never committed is removed, so readers only ever see a complete file or none. The temporary is
// created exclusively under an unpredictable name (never through a link), carries the permission
// bits of the file it replaces (or of another file named for them, or the usual ones for a new
// file), is flushed to the disk before the rename, and is removed when a signal stops the program
// (CleanupOnSignal.h). A link at the target is replaced itself; the file it pointed to is left as
// it was.
#pragma once

#include "NativeFiles.h"

#include <memory>
#include <ostream>
#include <string>

namespace runner {

class AtomicFile {
public:
  explicit AtomicFile(const std::string& target);
  // The new file takes the permission bits of permissionsFrom (when that is a regular file)
  // rather than the target's: for a target under a new name that supersedes another file.
  AtomicFile(std::string target, std::string permissionsFrom);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // False when the temporary file could not be created (error() says why).
  bool open();
  // Buffered; a failed write sets the stream's bad bit and fails finish() and commit().
  std::ostream& stream();
  // Writes out, flushes to the disk and closes, keeping the temporary for a later commit();
  // false (and the temporary removed) on any failure.
  bool finish();
  // Finishes when not done yet, then renames the temporary over the target; false (and the
  // temporary removed) on any failure.
  bool commit();
  // Removes the temporary file without touching the target.
  void discard();
  const std::string& target() const { return target_; }
  const std::string& temporary() const { return temporary_; }
  const std::string& error() const { return error_; }

private:
  class Buffer;
  std::string target_;
  std::string permissionsFrom_;
  std::string temporary_;
  std::string error_;
  native::FileHandle file_;
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
  int ticket_ = -1; // in the signal clean-up record
  bool pending_ = false, finished_ = false;
};

// The name of a temporary beside this target: "<target>.<16 hex digits>.tmp", the target's own
// name shortened when the whole would be longer than a file name may be.
std::string temporaryNameFor(const std::string& target, std::uint64_t bits);

} // namespace runner
