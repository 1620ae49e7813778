// A file written under a temporary name beside its target and renamed over it on commit; a file
// never committed is removed, so readers only ever see a complete file or none.
#pragma once

#include <fstream>
#include <string>

namespace runner {

class AtomicFile {
public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // False when the temporary file could not be created.
  bool open();
  std::ofstream& stream() { return stream_; }
  // Flushes, closes and renames; false (and the temporary removed) on any failure.
  bool commit();
  // Removes the temporary file without touching the target.
  void discard();
  const std::string& target() const { return target_; }

private:
  std::string target_;
  std::string temporary_;
  std::ofstream stream_;
  bool pending_ = false;
};

} // namespace runner
