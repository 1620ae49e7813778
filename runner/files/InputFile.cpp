#include "InputFile.h"

#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace runner {

namespace {

// Large reads go in pieces that every platform's read call takes.
const std::size_t kLargestRead = std::size_t{1} << 30;

const char* kFolder = "is a folder, not a file";
const char* kNotRegular = "is not a regular file (a pipe, a socket or a device is never read)";

} // namespace

InputFile::~InputFile() {
  close();
}

#ifdef _WIN32

namespace {
std::string lastError() {
  return std::system_category().message(static_cast<int>(GetLastError()));
}
} // namespace

bool InputFile::isOpen() const {
  return handle_ != nullptr;
}

void InputFile::close() {
  if (handle_)
    CloseHandle(handle_);
  handle_ = nullptr;
}

bool InputFile::open(const std::string& path, std::string& why) {
  close();
  missing_ = false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    why = kFolder;
    return false;
  }
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    missing_ = GetLastError() == ERROR_FILE_NOT_FOUND;
    why = lastError();
    return false;
  }
  handle_ = h;
  const bool disk = GetFileType(h) == FILE_TYPE_DISK;
  if (!disk) {
    close();
    why = kNotRegular;
    return false;
  }
  LARGE_INTEGER size{};
  size_ = GetFileSizeEx(h, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  return true;
}

namespace {
std::string handleIdentity(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info))
    return "";
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
         ":" + std::to_string(info.nFileIndexLow);
}
} // namespace

std::string InputFile::identity() const {
  return handle_ ? handleIdentity(handle_) : std::string();
}

std::string InputFile::identityOf(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return "";
  const std::string identity = handleIdentity(h);
  CloseHandle(h);
  return identity;
}

std::size_t InputFile::read(void* buffer, std::size_t size) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(size < kLargestRead ? size : kLargestRead);
  if (!ReadFile(handle_, buffer, want, &got, nullptr)) {
    if (GetLastError() == ERROR_BROKEN_PIPE)
      return 0;
    throw std::runtime_error(lastError());
  }
  return got;
}

bool InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t size, std::string& why) {
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(size < kLargestRead ? size : kLargestRead);
    if (!ReadFile(handle_, bytes, want, &got, &at)) {
      why = GetLastError() == ERROR_HANDLE_EOF ? "the file ended early" : lastError();
      return false;
    }
    if (got == 0) {
      why = "the file ended early";
      return false;
    }
    bytes += got, offset += got, size -= got;
  }
  return true;
}

#else

bool InputFile::isOpen() const {
  return fd_ >= 0;
}

void InputFile::close() {
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
}

bool InputFile::open(const std::string& path, std::string& why) {
  close();
  missing_ = false;
  // Without blocking, so that opening a pipe never waits for a writer.
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  do
    fd_ = ::open(path.c_str(), flags);
  while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) {
    missing_ = errno == ENOENT;
    why = std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (fstat(fd_, &status) != 0) {
    why = std::strerror(errno);
    close();
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    why = S_ISDIR(status.st_mode) ? kFolder : kNotRegular;
    close();
    return false;
  }
  size_ = static_cast<std::uint64_t>(status.st_size);
  return true;
}

std::string InputFile::identity() const {
  struct stat status {};
  if (fd_ < 0 || fstat(fd_, &status) != 0)
    return "";
  return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

std::string InputFile::identityOf(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return "";
  return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

std::size_t InputFile::read(void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size < kLargestRead ? size : kLargestRead);
    if (got >= 0)
      return static_cast<std::size_t>(got);
    if (errno != EINTR)
      throw std::runtime_error(std::strerror(errno));
  }
}

bool InputFile::readAt(std::uint64_t offset, void* buffer, std::size_t size, std::string& why) {
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t got =
        ::pread(fd_, bytes, size < kLargestRead ? size : kLargestRead, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0) {
      why = got == 0 ? "the file ended early" : std::strerror(errno);
      return false;
    }
    bytes += got, offset += static_cast<std::uint64_t>(got), size -= static_cast<std::size_t>(got);
  }
  return true;
}

#endif

} // namespace runner
