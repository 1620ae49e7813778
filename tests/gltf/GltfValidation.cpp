#include "GltfValidation.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace gltf_test {

namespace {

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

Validation validate(const std::vector<std::string>& files) {
  Validation v;
  const std::string module = TOVALINDER_GLTF_VALIDATOR_DIR;
  if (std::system("node --version >/dev/null 2>&1") != 0 ||
      !std::filesystem::exists(module + "/index.js"))
    return v;
  std::string command =
      "node " + shellQuoted(TOVALINDER_GLTF_VALIDATE_SCRIPT) + " " + shellQuoted(module);
  for (const std::string& f : files)
    command += " " + shellQuoted(f);
  const std::string report = std::filesystem::temp_directory_path().string() +
                             "/tovalinder-validator-" + std::to_string(std::rand()) + ".txt";
  const int raw = std::system((command + " >" + shellQuoted(report) + " 2>&1").c_str());
  v.ran = true;
  v.clean = WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
  v.report = slurp(report);
  std::filesystem::remove(report);
  return v;
}

} // namespace gltf_test
