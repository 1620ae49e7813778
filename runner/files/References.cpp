#include "References.h"

#include "FileError.h"

#include <cctype>
#include <filesystem>

namespace runner {

namespace {

namespace fs = std::filesystem;

int hexValue(char c) {
  return std::isdigit(static_cast<unsigned char>(c))
             ? c - '0'
             : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

// Whether the reference names a place of its own rather than a name beside the file: a root, a
// drive ("C:"), or a scheme ("file:", "http:") before any separator.
bool standsAlone(const std::string& reference) {
  if (reference.empty() || reference[0] == '/' || reference[0] == '\\')
    return true;
  const size_t colon = reference.find(':');
  const size_t separator = reference.find_first_of("/\\");
  return colon != std::string::npos && (separator == std::string::npos || colon < separator);
}

// Whether `inner`, made absolute, lies inside `folder` (both without "." or ".." parts).
bool isInside(const fs::path& inner, const fs::path& folder) {
  auto f = folder.begin(), i = inner.begin();
  for (; f != folder.end(); ++f, ++i)
    if (f->empty())
      continue; // the empty last part of a folder path ending in a separator
    else if (i == inner.end() || *i != *f)
      return false;
  return true;
}

// The path with every part that exists resolved through its links, the rest as written.
fs::path resolved(const fs::path& path) {
  std::error_code error;
  fs::path result = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal() : result;
}

} // namespace

std::string percentDecoded(const std::string& uri) {
  std::string out;
  out.reserve(uri.size());
  for (size_t i = 0; i < uri.size(); ++i)
    if (uri[i] == '%' && i + 2 < uri.size() &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      out += static_cast<char>(hexValue(uri[i + 1]) * 16 + hexValue(uri[i + 2]));
      i += 2;
    } else {
      out += uri[i];
    }
  return out;
}

std::string referencedPath(const std::string& referringFile, const std::string& reference,
                           const std::string& place, ReferenceForm form) {
  const std::string name = form == ReferenceForm::Uri ? percentDecoded(reference) : reference;
  const auto refuse = [&](const std::string& why) {
    throw FileError(referringFile, place, "\"" + reference + "\" " + why);
  };
  if (name.find('\0') != std::string::npos)
    refuse("holds a NUL byte");
  if (standsAlone(reference) || standsAlone(name))
    refuse("is not a file name relative to the file's own folder");
  std::error_code error;
  const fs::path folder = fs::absolute(fs::path(referringFile), error).parent_path();
  const fs::path joined = folder / fs::u8path(name);
  if (!isInside(joined.lexically_normal(), folder.lexically_normal()) ||
      !isInside(resolved(joined), resolved(folder)))
    refuse("names a file outside the folder of the file that refers to it");
  return (fs::path(referringFile).parent_path() / fs::u8path(name)).string();
}

} // namespace runner
