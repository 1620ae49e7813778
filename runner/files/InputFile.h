// The one way a run opens a file it reads, for every format: a document and its side file, a glTF
// file with its buffers and images, an OBJ file. Only a regular file (links followed) is read; a
// pipe, a device, a socket or a folder is refused at once, opened without blocking so that it can
// never hang the run. POSIX and Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace runner {

class InputFile {
public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False, with the reason in words, when the file cannot be opened or is not a regular file.
  bool open(const std::string& path, std::string& why);
  bool isOpen() const;
  // After a failed open: whether the file was not there at all.
  bool missing() const { return missing_; }
  // Which file on which volume is open: equal for the same file, whatever its name.
  std::string identity() const;
  // The identity of the file a path names now ("" when there is none).
  static std::string identityOf(const std::string& path);
  // The file's size when it was opened.
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

// The whole of a file a run reads, at most `limit` bytes. Throws FileError naming the file.
std::vector<std::uint8_t> readWholeFile(const std::string& path,
                                        std::uint64_t limit = std::uint64_t{1} << 32);

// A file a run reads, as a buffered stream (for readers that parse text line by line). Throws
// FileError naming the file when it cannot be opened or is not a regular file; a read error
// later sets the stream's bad bit.
class InputStream : public std::istream {
public:
  explicit InputStream(const std::string& path);
  ~InputStream() override;
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;
  std::uint64_t size() const;

private:
  class Buffer;
  std::unique_ptr<Buffer> buffer_;
};

} // namespace runner
