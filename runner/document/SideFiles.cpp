#include "SideFiles.h"

#include "WriteSteps.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace runner {

namespace {

const size_t kHashDigits = 16;

std::string hexDigits(std::uint64_t hash) {
  char text[kHashDigits + 1];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool validUtf8(const std::string& text) {
  try {
    (void)nlohmann::json(text).dump();
    return true;
  } catch (const nlohmann::json::exception&) {
    return false;
  }
}

// The document's file name as side-file names carry it: folder separators, drive colons and
// control characters replaced, and every byte beyond ASCII when the name is not UTF-8, so that
// the name is a plain file name on every system and the JSON records it exactly.
std::string safeBase(const std::string& name) {
  const bool utf8 = validUtf8(name);
  std::string base = name;
  for (char& c : base) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == ':' || c == '\\' || c == '/' || byte < 0x20 || (byte >= 0x80 && !utf8))
      c = '_';
  }
  return base;
}

} // namespace

SideFileNames::SideFileNames(const std::string& documentPath) {
  const size_t slash = documentPath.find_last_of("/\\");
  directory_ = slash == std::string::npos ? std::string() : documentPath.substr(0, slash + 1);
  base_ = safeBase(slash == std::string::npos ? documentPath : documentPath.substr(slash + 1));
}

std::string SideFileNames::sideFile(std::uint64_t hash) const {
  return directory_ + base_ + "." + hexDigits(hash) + ".bin";
}

std::string SideFileNames::marker(const std::string& sideFile) const {
  return sideFile.substr(0, sideFile.size() - 4) + ".pending";
}

bool SideFileNames::ours(const std::string& fileName, const char* suffix, std::string& hex) const {
  const std::string tail = suffix;
  if (fileName.size() != base_.size() + 1 + kHashDigits + tail.size() ||
      fileName.compare(0, base_.size(), base_) != 0 || fileName[base_.size()] != '.' ||
      fileName.compare(fileName.size() - tail.size(), tail.size(), tail) != 0)
    return false;
  hex = fileName.substr(base_.size() + 1, kHashDigits);
  for (char c : hex)
    if (!isHex(c))
      return false;
  return true;
}

bool SideFileNames::isSideFile(const std::string& path) const {
  std::string hex;
  return path.size() > directory_.size() && path.compare(0, directory_.size(), directory_) == 0 &&
         ours(path.substr(directory_.size()), ".bin", hex);
}

void SideFileNames::sweep(const std::string& keep) const {
  std::vector<std::string> markers;
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory_.empty() ? "." : directory_, error), end;
       !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::string hex;
    if (ours(name, ".pending", hex))
      markers.push_back(name);
  }
  for (const std::string& name : markers) {
    const std::string side = directory_ + name.substr(0, name.size() - 8) + ".bin";
    if (side == keep || removeQuietly(side))
      removeQuietly(directory_ + name);
  }
}

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

bool removeQuietly(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (writeStep("remove " + path.substr(slash == std::string::npos ? 0 : slash + 1)) != 0)
    return false;
  std::error_code error;
  std::filesystem::remove(path, error);
  return !error;
}

} // namespace runner
