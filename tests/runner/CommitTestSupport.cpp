#include "CommitTestSupport.h"

#include "SampleCharacter.h"

#include <filesystem>
#include <set>

namespace runner_test {

namespace {

void buildVariant(sim::Document& document, float shift) {
  runner::SampleOptions small;
  small.segments = 8, small.rings = 12, small.armSegments = 6, small.armRings = 4;
  small.morphs = 2;
  runner::buildSampleDocument(document, small);
  document.objectAt(0)->editPositions()[0].x += shift;
}

// One of the document's own side files or markers: "<name>.<16 hex digits>.bin|pending".
bool ours(const std::string& file, const std::string& documentName) {
  const std::string rest =
      file.rfind(documentName + ".", 0) == 0 ? file.substr(documentName.size() + 1) : std::string();
  const bool bin = rest.size() == 20 && rest.compare(16, 4, ".bin") == 0;
  const bool pending = rest.size() == 24 && rest.compare(16, 8, ".pending") == 0;
  if (!bin && !pending)
    return false;
  for (size_t i = 0; i < 16; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(rest[i])))
      return false;
  return true;
}

} // namespace

Variants::Variants() : a(host.newDocument()), b(host.newDocument()), c(host.newDocument()) {
  buildVariant(a, 0.0f);
  buildVariant(b, 0.25f);
  buildVariant(c, 0.5f);
  describedA = sim::describe(a);
  describedB = sim::describe(b);
  describedC = sim::describe(c);
}

std::string loaded(const std::string& path) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  try {
    runner::readDocument(path, document);
  } catch (const runner::FileError& e) {
    return std::string("refused: ") + e.what();
  }
  return sim::describe(document);
}

std::string sideFileName(const std::string& documentPath) {
  return std::filesystem::path(runner::referencedSideFile(documentPath)).filename().string();
}

std::string strays(const ScratchFolder& dir, const std::string& documentName) {
  const std::string used = sideFileName(dir.file(documentName));
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("")))
    if (ours(entry.path().filename().string(), documentName) &&
        entry.path().filename().string() != used)
      found.insert(entry.path().filename().string());
  std::string text;
  for (const std::string& name : found)
    text += (text.empty() ? "" : " ") + name;
  return text;
}

std::string ownListing(const ScratchFolder& dir, const std::string& documentName) {
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file(""))) {
    const std::string name = entry.path().filename().string();
    if (name == documentName || ours(name, documentName))
      found.insert(name);
  }
  std::string text;
  for (const std::string& name : found)
    text += (text.empty() ? "" : " ") + name;
  return text;
}

} // namespace runner_test
