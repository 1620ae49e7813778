// The files a document on disk consists of: the JSON file and the binary side file it names, if
// any. Found without reading the document: the JSON is scanned only up to the side file's name.
#pragma once

#include <string>
#include <vector>

namespace runner {

// The document's own path first, then its side file when it names one. A file that cannot be
// read or is not JSON yields the path alone (reading it will say what is wrong).
std::vector<std::string> documentParts(const std::string& path);

} // namespace runner
