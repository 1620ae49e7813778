// File-name patterns as a shell expands them (`*`, `?`, `[abc]`, `[a-z]`, `[!x]`), expanded by
// the runner itself so that a quoted pattern works the same on every system. Relies on
// std::filesystem only.
#pragma once

#include <string>
#include <vector>

namespace runner {

bool hasWildcards(const std::string& text);

// Whether a file name matches a pattern of one path component. A leading "." is matched only by
// a leading "." in the pattern, as in a shell.
bool matchesPattern(const std::string& name, const std::string& pattern);

// Whether two paths name one existing file (through links and different spellings).
bool isSameFile(const std::string& a, const std::string& b);

// The regular files a pattern names, sorted; wildcards may stand in any component of the path.
std::vector<std::string> expandPattern(const std::string& pattern);

} // namespace runner
