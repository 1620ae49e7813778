#include "FilePattern.h"

#include <algorithm>
#include <filesystem>

namespace runner {

namespace fs = std::filesystem;

namespace {

// Matches a bracket expression at pattern[p] ('[' ... ']') against c; p moves past it. False
// in `valid` when the bracket is not closed (it is then an ordinary character).
bool bracketMatches(const std::string& pattern, size_t& p, char c, bool& valid) {
  size_t i = p + 1;
  const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negated)
    ++i;
  bool matched = false;
  for (bool first = true; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      matched = matched || (pattern[i] <= c && c <= pattern[i + 2]);
      i += 3;
    } else {
      matched = matched || pattern[i] == c;
      ++i;
    }
  }
  valid = i < pattern.size();
  if (valid)
    p = i + 1;
  return matched != negated;
}

bool matchFrom(const std::string& name, size_t n, const std::string& pattern, size_t p) {
  while (p < pattern.size()) {
    const char c = pattern[p];
    if (c == '*') {
      while (p < pattern.size() && pattern[p] == '*')
        ++p;
      for (size_t rest = n; rest <= name.size(); ++rest)
        if (matchFrom(name, rest, pattern, p))
          return true;
      return false;
    }
    if (n == name.size())
      return false;
    if (c == '[') {
      bool valid = false;
      size_t next = p;
      const bool matched = bracketMatches(pattern, next, name[n], valid);
      if (valid) {
        if (!matched)
          return false;
        p = next, ++n;
        continue;
      }
    }
    if (c != '?' && c != name[n])
      return false;
    ++p, ++n;
  }
  return n == name.size();
}

std::vector<std::string> components(const std::string& pattern) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : pattern) {
    if (c == '/' || c == '\\') {
      parts.push_back(part + c);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

} // namespace

bool isSameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

bool hasWildcards(const std::string& text) {
  return text.find_first_of("*?[") != std::string::npos;
}

bool matchesPattern(const std::string& name, const std::string& pattern) {
  if (!name.empty() && name[0] == '.' && (pattern.empty() || pattern[0] != '.'))
    return false;
  return matchFrom(name, 0, pattern, 0);
}

std::vector<std::string> expandPattern(const std::string& pattern) {
  std::vector<std::string> paths{""};
  const std::vector<std::string> parts = components(pattern);
  for (size_t k = 0; k < parts.size(); ++k) {
    const bool last = k + 1 == parts.size();
    std::string part = parts[k];
    const std::string separator = last ? "" : part.substr(part.size() - 1);
    if (!last)
      part.pop_back();
    std::vector<std::string> next;
    for (const std::string& base : paths) {
      if (!hasWildcards(part)) {
        next.push_back(base + part + separator);
        continue;
      }
      std::error_code error;
      std::vector<std::string> names;
      for (fs::directory_iterator it(base.empty() ? "." : base, error), end; !error && it != end;
           it.increment(error))
        if (matchesPattern(it->path().filename().string(), part))
          names.push_back(it->path().filename().string());
      std::sort(names.begin(), names.end());
      for (const std::string& name : names)
        next.push_back(base + name + separator);
    }
    paths.swap(next);
  }
  std::vector<std::string> files;
  std::error_code error;
  for (const std::string& path : paths)
    if (fs::is_regular_file(path, error))
      files.push_back(path);
  return files;
}

} // namespace runner
