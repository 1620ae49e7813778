// The file calls on POSIX systems.
#ifndef _WIN32
#include "NativeFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace runner::native {

namespace {

int fd(FileHandle file) {
  return static_cast<int>(file.value);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

FileKind kindOf(mode_t mode) {
  if (S_ISREG(mode))
    return FileKind::Regular;
  if (S_ISDIR(mode))
    return FileKind::Folder;
  if (S_ISCHR(mode))
    return FileKind::CharacterDevice;
  if (S_ISBLK(mode))
    return FileKind::BlockDevice;
  if (S_ISFIFO(mode))
    return FileKind::Fifo;
  if (S_ISSOCK(mode))
    return FileKind::Socket;
  if (S_ISLNK(mode))
    return FileKind::Link;
  return FileKind::Other;
}

} // namespace

bool createExclusive(const std::string& path, std::optional<unsigned> keepMode, FileHandle& file,
                     std::string& error) {
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  // Never more open than the file it replaces, not even before the bits are set exactly.
  const int created = ::open(path.c_str(), flags, keepMode ? *keepMode & 0777 : 0666);
  if (created < 0) {
    error = std::strerror(errno);
    return false;
  }
  file.value = created;
  // The umask applied at creation; an existing output's own bits are kept instead.
  if (keepMode && ::fchmod(created, static_cast<mode_t>(*keepMode)) != 0) {
    error = std::strerror(errno);
    closeFile(file);
    ::unlink(path.c_str());
    return false;
  }
  return true;
}

bool writeAll(FileHandle file, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd(file), data, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool flushToDisk(FileHandle file) {
  return ::fsync(fd(file)) == 0;
}

bool closeFile(FileHandle& file) {
  if (!file.open())
    return true;
  const bool closed = ::close(fd(file)) == 0;
  file.value = -1;
  return closed;
}

bool replaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    return false;
  // The rename itself survives a power cut only once the folder is on the disk too.
  const int folder = ::open(folderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

bool removeFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool removeEmptyFolder(const std::string& path) {
  return ::rmdir(path.c_str()) == 0;
}

bool makeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

FileKind kindAt(const std::string& path, bool followLinks) {
  struct stat info;
  const int result = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
  return result != 0 ? FileKind::Missing : kindOf(info.st_mode);
}

std::optional<unsigned> permissionsOf(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  // Permission bits only: a data file never takes set-user-ID or set-group-ID bits.
  return static_cast<unsigned>(info.st_mode & 01777);
}

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0)
    return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

std::uint64_t unpredictableBits() {
  std::random_device random; // the kernel's random source on Linux
  return (static_cast<std::uint64_t>(random()) << 32) ^ random();
}

} // namespace runner::native
#endif
