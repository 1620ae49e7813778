// Side files store a block that several objects hold once: a rig of many elements of one mesh
// costs its positions per element, not the whole mesh per element; files written before, with
// every block written out, read as they always did.
#include "DocumentFile.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

using namespace runner;
using namespace runner_test;

namespace {

// A quad strip with UVs, creases and a material, and `elements` copies of it whose positions
// differ (as a morph's element's do).
void buildRig(sim::Document& document, int elements) {
  sim::Object* base = document.addObject("Face");
  for (int i = 0; i < 6; ++i)
    base->addVertex(float(i % 3), float(i / 3), 0.5f);
  base->addFace({0, 1, 4, 3});
  base->addFace({1, 2, 5, 4});
  base->editFaceUvs(0)[2] = MQCoordinate{0.25f, 0.75f};
  base->editFaceCreases(1)[0] = 0.5f;
  base->editMaterials()[1] = 3;
  for (int e = 0; e < elements; ++e) {
    const std::string name = "elem:m" + std::to_string(e) + "-Face";
    sim::Object* element = document.addObject(name);
    *element = *base;
    element->setName(name);
    element->editPositions()[size_t(e % 6)].z += 1.0f + float(e);
  }
}

std::uintmax_t sideBytes(const std::string& path) {
  return std::filesystem::file_size(referencedSideFile(path));
}

// The same document with every block written out at an offset of its own, as files were before
// blocks were shared.
void unshare(const std::string& path, const std::string& outPath) {
  std::ifstream in(path);
  nlohmann::json document = nlohmann::json::parse(in);
  const std::string side = readFile(referencedSideFile(path));
  std::string out;
  for (nlohmann::json& object : document["objects"])
    for (const char* part : {"vertices", "faces"})
      for (auto& column : object[part].items()) {
        const size_t offset = column.value()["offset"], bytes = size_t(column.value()["count"]) * 4;
        column.value()["offset"] = out.size();
        out += side.substr(offset, bytes);
      }
  const std::string sideName = std::filesystem::path(outPath).filename().string() + ".bin";
  document["binary"] = {{"file", sideName}, {"bytes", out.size()}};
  writeFile(outPath, document.dump(2));
  writeFile((std::filesystem::path(outPath).parent_path() / sideName).string(), out);
}

} // namespace

TEST(SharedBlocks, AnElementCostsItsPositionsOnly) {
  ScratchFolder dir;
  sim::Host host;
  sim::Document &alone = host.newDocument(), &rig = host.newDocument();
  buildRig(alone, 0);
  buildRig(rig, 3);
  writeDocument(dir.file("alone.json"), alone, DataLayout::SideFile);
  writeDocument(dir.file("rig.json"), rig, DataLayout::SideFile);
  EXPECT_EQ(sideBytes(dir.file("rig.json")), sideBytes(dir.file("alone.json")) + 3 * 6 * 12);
  sim::Document& back = host.newDocument();
  readDocument(dir.file("rig.json"), back);
  EXPECT_EQ(digest(back), digest(rig));
  // Written again from what was read: the same files.
  writeDocument(dir.file("again.json"), back, DataLayout::SideFile);
  EXPECT_EQ(readFile(referencedSideFile(dir.file("again.json"))),
            readFile(referencedSideFile(dir.file("rig.json"))));
}

TEST(SharedBlocks, BlocksOfEqualSizeButOtherValuesAreNotShared) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  buildRig(document, 2);
  // The second element's UVs differ from its base's in one bit of one value.
  document.objectAt(2)->editFaceUvs(1)[3].u = 1e-45f;
  ScratchFolder dir;
  writeDocument(dir.file("doc.json"), document, DataLayout::SideFile);
  sim::Document& back = host.newDocument();
  readDocument(dir.file("doc.json"), back);
  EXPECT_EQ(digest(back), digest(document));
  EXPECT_EQ(back.objectAt(2)->faceUvs(int(1))[3].u, 1e-45f);
  EXPECT_EQ(back.objectAt(1)->faceUvs(int(1))[3].u, 0.0f);
}

TEST(SharedBlocks, FilesWithEveryBlockWrittenOutReadTheSame) {
  ScratchFolder dir;
  sim::Host host;
  sim::Document& rig = host.newDocument();
  buildRig(rig, 4);
  writeDocument(dir.file("rig.json"), rig, DataLayout::SideFile);
  unshare(dir.file("rig.json"), dir.file("old.json"));
  EXPECT_GT(std::filesystem::file_size(dir.file("old.json.bin")), sideBytes(dir.file("rig.json")));
  sim::Document& back = host.newDocument();
  readDocument(dir.file("old.json"), back);
  EXPECT_EQ(digest(back), digest(rig));
}
