// The operating system's file calls the runner's safe writing relies on, one set for POSIX and
// one for Windows: exclusive creation that never follows a link, whole writes, flushing to the
// disk, renaming over a target, and what a path names (its kind, its identity as a real file).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace runner::native {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
struct FileHandle {
  std::intptr_t value = -1;
  bool open() const { return value != -1; }
};

// Creates a new file for writing; fails when anything exists at the name, a symbolic link
// included (it is never followed). POSIX: the permission bits are `mode` less the umask, or
// exactly `keepMode` when given. On failure `error` holds the system's reason.
bool createExclusive(const std::string& path, std::optional<unsigned> keepMode, FileHandle& file,
                     std::string& error);
// Writes every byte or fails (interrupted writes are resumed).
bool writeAll(FileHandle file, const char* data, std::size_t size);
// Flushes the file's data to the disk.
bool flushToDisk(FileHandle file);
bool closeFile(FileHandle& file);
// Renames `from` over `to` in one step (`to` replaced when it exists; a link at `to` is replaced
// itself, not followed), then makes the folder's new entry durable where the system allows.
bool replaceFile(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);
bool removeEmptyFolder(const std::string& path);
// Creates one folder; false when it could not be made (existing already included).
bool makeFolder(const std::string& path);

enum class FileKind {
  Missing,
  Regular,
  Folder,
  CharacterDevice,
  BlockDevice,
  Fifo,
  Socket,
  Link,
  Other
};
// What the path names; a link is reported as Link unless followLinks.
FileKind kindAt(const std::string& path, bool followLinks);

// The permission bits of a regular file at the path itself (a link is not followed).
std::optional<unsigned> permissionsOf(const std::string& path);

// A real file: its device and its number on that device (links followed).
struct FileIdentity {
  std::uint64_t device = 0, number = 0;
  bool operator==(const FileIdentity& o) const { return device == o.device && number == o.number; }
};
std::optional<FileIdentity> identityOf(const std::string& path);

// Bits an attacker cannot predict, for temporary file names.
std::uint64_t unpredictableBits();

} // namespace runner::native
