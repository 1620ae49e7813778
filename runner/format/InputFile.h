// Files the document reader takes in: the document itself (any readable file but a folder, so
// that a pipe works) and its binary side file (a regular file, opened without blocking so that a
// pipe or a device in its place is refused instead of hanging the reader). POSIX and Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace runner {

class InputFile {
public:
  enum class Kind { Document, SideFile };

  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False, with the reason in words, when the file cannot be opened or is not of the kind.
  bool open(const std::string& path, Kind kind, std::string& why);
  bool isOpen() const;
  // After a failed open: whether the file was not there at all.
  bool missing() const { return missing_; }
  // Which file on which volume is open: equal for the same file, whatever its name.
  std::string identity() const;
  // The identity of the file a path names now ("" when there is none).
  static std::string identityOf(const std::string& path);
  // The size of a regular file; 0 for a pipe.
  std::uint64_t size() const { return size_; }
  // Reads what comes next, up to size bytes: 0 at the end; throws std::runtime_error on a
  // read error.
  std::size_t read(void* buffer, std::size_t size);
  // Reads exactly size bytes from offset; false (with the reason) otherwise.
  bool readAt(std::uint64_t offset, void* buffer, std::size_t size, std::string& why);

private:
  void close();
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
  std::uint64_t size_ = 0;
  bool missing_ = false;
};

} // namespace runner
