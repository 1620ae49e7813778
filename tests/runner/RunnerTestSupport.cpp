#include "RunnerTestSupport.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace runner_test {

ScratchFolder::ScratchFolder() : ScratchFolder(std::filesystem::temp_directory_path()) {}

ScratchFolder::ScratchFolder(const std::filesystem::path& parent) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = parent /
          ("tovalinder-runner-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::listing() const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.insert(entry.path().filename().string());
  std::string text;
  for (const std::string& name : names)
    text += (text.empty() ? "" : " ") + name;
  return text;
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool exists(const std::string& path) {
  return std::filesystem::exists(path);
}

std::string smallDocument(const std::string& extraInA) {
  const std::string quad = R"("vertices": {"positions": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]]},
      "faces": {"points": [[0,1,2,3]]})";
  return R"({"format": "tovalinder-document", "version": 1, "objects": [
    {"name": "A", "selected": true, )" +
         quad + extraInA + R"(},
    {"name": "elem:m-A", "vertices": {"positions": [[0,0,0.5],[1,0,0],[1,1,0],[0,1,0]]},
      "faces": {"points": [[0,1,2,3]]}},
    {"name": "B", "selected": true, )" +
         quad + R"(}
  ]})";
}

std::string samplePath() {
  return std::string(TOVALINDER_SAMPLES_DIR) + "/character.json";
}
std::string expectedPath(const std::string& name) {
  return std::string(TOVALINDER_EXPECTED_DIR) + "/" + name;
}

std::string digest(const sim::Document& document) {
  const std::string text = sim::describe(document);
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text)
    hash = (hash ^ c) * 1099511628211ull;
  char out[17];
  std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
  return out;
}

} // namespace runner_test
