#include "GltfValidation.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace gltf_test {

using runner_test::readFile;
using runner_test::shellQuoted;

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
  v.report = readFile(report);
  std::filesystem::remove(report);
  return v;
}

void expectValid(const std::vector<std::string>& files) {
  const Validation v = validate(files);
  if (!v.ran) {
    if (std::getenv("CI"))
      ADD_FAILURE() << "the glTF validator is not installed (scripts/install-gltf-validator.sh)";
    else
      std::printf("note: node or the glTF validator is missing; written files not validated\n");
    return;
  }
  EXPECT_TRUE(v.clean) << v.report;
}

} // namespace gltf_test
