// Test support for the runner: scratch folders, small documents written as text, and a digest
// of a document's full content.
#pragma once

#include "SimHost.h"

#include <filesystem>
#include <string>

namespace runner_test {

// A fresh empty folder, removed with everything in it when the value goes.
class ScratchFolder {
public:
  ScratchFolder();
  // Under `parent` rather than the system's folder for temporaries.
  explicit ScratchFolder(const std::filesystem::path& parent);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Names of the files in the folder, sorted.
  std::string listing() const;

private:
  std::filesystem::path path_;
};

void writeFile(const std::string& path, const std::string& text);
std::string readFile(const std::string& path);
bool exists(const std::string& path);

// A document file with two selected objects: Source "A" (a quad) and Destination "B" (its copy),
// and the element "elem:m-A" moving vertex 0. Extra JSON members may be spliced into object A.
std::string smallDocument(const std::string& extraInA = "");

std::string samplePath();
std::string expectedPath(const std::string& name);

// FNV-1a of sim::describe: equal digests mean equal documents to the last bit.
std::string digest(const sim::Document& document);

} // namespace runner_test
