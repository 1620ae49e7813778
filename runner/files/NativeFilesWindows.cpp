// The file calls on Windows. Temporaries are opened with delete sharing, so that the clean-up
// on Ctrl-C can remove a file that is still open.
#ifdef _WIN32
#include "NativeFiles.h"

#include <windows.h>

#include <random>

namespace runner::native {

namespace {

HANDLE handleOf(FileHandle file) {
  return reinterpret_cast<HANDLE>(file.value);
}

std::string lastError() {
  return "Windows error " + std::to_string(GetLastError());
}

} // namespace

bool createExclusive(const std::string& path, std::optional<unsigned>, FileHandle& file,
                     std::string& error) {
  // CREATE_NEW fails on any existing name, a link included, so nothing is ever followed.
  const HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) {
    error = lastError();
    return false;
  }
  file.value = reinterpret_cast<std::intptr_t>(created);
  return true;
}

bool writeAll(FileHandle file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handleOf(file), data, chunk, &written, nullptr) || written == 0)
      return false;
    data += written;
    size -= written;
  }
  return true;
}

bool flushToDisk(FileHandle file) {
  return FlushFileBuffers(handleOf(file)) != 0;
}

bool closeFile(FileHandle& file) {
  if (!file.open())
    return true;
  const bool closed = CloseHandle(handleOf(file)) != 0;
  file.value = -1;
  return closed;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

bool removeEmptyFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != 0;
}

bool makeFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

FileKind kindAt(const std::string& path, bool followLinks) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return FileKind::Missing;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !followLinks)
    return FileKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return FileKind::Folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE)
    return FileKind::CharacterDevice;
  // Device names ("NUL", "CON", "COM1") answer as files to the attribute query.
  const HANDLE h =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return FileKind::Regular;
  const DWORD type = GetFileType(h);
  CloseHandle(h);
  if (type == FILE_TYPE_CHAR)
    return FileKind::CharacterDevice;
  if (type == FILE_TYPE_PIPE)
    return FileKind::Fifo;
  return FileKind::Regular;
}

std::optional<unsigned> permissionsOf(const std::string&) {
  return std::nullopt; // Windows keeps access rights in the folder's inherited lists.
}

std::optional<FileIdentity> identityOf(const std::string& path) {
  const HANDLE h =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!known)
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::uint64_t unpredictableBits() {
  std::random_device random; // rand_s, the system's random source, with mingw-w64
  return (static_cast<std::uint64_t>(random()) << 32) ^ random();
}

} // namespace runner::native
#endif
