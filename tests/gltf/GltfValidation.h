// The Khronos glTF validator run on written files (native only: node and a POSIX shell).
#pragma once

#include <string>
#include <vector>

namespace gltf_test {

// The validator's report on the files ("<file>: N errors, ..." lines) and whether it ran.
struct Validation {
  bool ran = false;
  bool clean = false;
  std::string report;
};
Validation validate(const std::vector<std::string>& files);
// A test failure unless every file is valid; without the validator only a note (a failure in CI).
void expectValid(const std::vector<std::string>& files);

} // namespace gltf_test
