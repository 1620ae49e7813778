// The building blocks of the runner's safe writing on their own (these run under Wine too): the
// all-or-nothing file, temporary names, the files a document consists of, the checks of outputs
// against inputs, and names made safe for a terminal.
#include "AtomicFile.h"
#include "DocumentFile.h"
#include "DocumentParts.h"
#include "FileSafety.h"
#include "Printable.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace runner;
using runner_test::readFile;
using runner_test::ScratchFolder;
using runner_test::writeFile;

TEST(FileBlocks, AnAtomicFileIsCommittedWholeOrLeavesNothing) {
  ScratchFolder dir;
  const std::string big(300000, 'x'); // larger than the file's buffer
  {
    AtomicFile file(dir.file("out.txt"));
    ASSERT_TRUE(file.open()) << file.error();
    file.stream() << "head:" << big;
    EXPECT_EQ(dir.listing(), std::filesystem::path(file.temporary()).filename().string());
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
    ASSERT_TRUE(file.finish());
    ASSERT_TRUE(file.commit());
  }
  EXPECT_EQ(readFile(dir.file("out.txt")), "head:" + big);
  {
    AtomicFile dropped(dir.file("out.txt"));
    ASSERT_TRUE(dropped.open());
    dropped.stream() << "never seen";
  }
  EXPECT_EQ(readFile(dir.file("out.txt")), "head:" + big);
  EXPECT_EQ(dir.listing(), "out.txt");
  AtomicFile nowhere(dir.file("missing/out.txt"));
  EXPECT_FALSE(nowhere.open());
  EXPECT_FALSE(nowhere.error().empty());
  EXPECT_FALSE(nowhere.commit());
}

TEST(FileBlocks, TemporaryNamesStayBesideTheTargetAndWithinAFileNamesLength) {
  EXPECT_EQ(temporaryNameFor("dir/out.json", 0xABCDEF0123456789ull),
            "dir/out.json.abcdef0123456789.tmp");
  std::string longName;
  while (longName.size() < 300)
    longName += "名前";
  const std::string name = temporaryNameFor("dir/" + longName, 1);
  const std::string leaf = name.substr(4);
  EXPECT_LE(leaf.size(), 255u);
  EXPECT_EQ(leaf.substr(leaf.size() - 21), ".0000000000000001.tmp");
  EXPECT_EQ(longName.compare(0, leaf.size() - 21, leaf, 0, leaf.size() - 21), 0);
  EXPECT_EQ((leaf.size() - 21) % 3, 0u) << "cut on a character boundary";
}

TEST(FileBlocks, ADocumentsPartsAreItsFileAndTheSideFileItNames) {
  ScratchFolder dir;
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* a = document.addObject("A");
  a->addVertex(0, 0, 0);
  writeDocument(dir.file("blocks.json"), document, DataLayout::SideFile);
  writeDocument(dir.file("plain.json"), document, DataLayout::Readable);
  // The side file is named after the document and its content.
  const std::string side = referencedSideFile(dir.file("blocks.json"));
  EXPECT_EQ(side.rfind(dir.file("blocks.json."), 0), 0u) << side;
  EXPECT_EQ(documentParts(dir.file("blocks.json")),
            (std::vector<std::string>{dir.file("blocks.json"), side}));
  EXPECT_EQ(documentParts(dir.file("plain.json")),
            std::vector<std::string>{dir.file("plain.json")});
  // Wherever the key stands and however it is spelt.
  writeFile(dir.file("late.json"), R"({"objects": [{"name": "binary"}], "bin\u0061ry":
      {"file": "late.data", "bytes": 0}})");
  EXPECT_EQ(documentParts(dir.file("late.json")).back(), dir.file("late.data"));
  writeFile(dir.file("broken.json"), R"({"binary": )");
  EXPECT_EQ(documentParts(dir.file("broken.json")).size(), 1u);
}

TEST(FileBlocks, OutputsAreCheckedAgainstInputsAndEachOther) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), "{}");
  writeFile(dir.file("in.bin"), "");
  const std::vector<FileGroup> inputs = {
      {"the input document", {dir.file("in.json"), dir.file("in.bin")}, true}};
  auto refusal = [&](const std::vector<FileGroup>& outputs, bool force) -> std::string {
    FileCheckOptions options;
    options.replaceInput = force;
    try {
      checkOutputs(inputs, outputs, options);
    } catch (const OutputRefusal& e) {
      return e.what();
    }
    return std::string();
  };
  const FileGroup inPlace{"the output document", {dir.file("in.json"), dir.file("in.bin")}, true};
  EXPECT_NE(refusal({inPlace}, false).find("give --force"), std::string::npos);
  EXPECT_EQ(refusal({inPlace}, true), "");
  const FileGroup beside{"the output document", {dir.file("x.json"), dir.file("in.bin")}, true};
  EXPECT_NE(refusal({beside}, true).find("would destroy the input"), std::string::npos);
  const FileGroup page{"the dialog page", {dir.file("sub/../in.json")}, false};
  std::filesystem::create_directory(dir.file("sub"));
  EXPECT_NE(refusal({page}, true).find("would destroy the input"), std::string::npos);
  const FileGroup a{"the output document", {dir.file("new.json"), dir.file("new.bin")}, true};
  const FileGroup b{"the dialog page", {dir.file("sub/../new.bin")}, false};
  EXPECT_NE(refusal({a, b}, false).find("are the same file"), std::string::npos);
  EXPECT_EQ(refusal({a}, false), "");
  EXPECT_NE(refusal({{"the output document", {dir.file("sub")}, true}}, false).find("is a folder"),
            std::string::npos);
}

TEST(FileBlocks, PrintableTextEscapesWhatWouldWorkATerminal) {
  EXPECT_EQ(printable("elem:smile-Body"), "elem:smile-Body");
  EXPECT_EQ(printable("笑顔 モーフ左右反転"), "笑顔 モーフ左右反転");
  EXPECT_EQ(printable("a\x1b[31mb\x07\t\n"), "a\\x1b[31mb\\x07\\x09\\x0a");
  EXPECT_EQ(printable("\x7f\xc2\x9b\xe2\x80\xae\xe2\x81\xa6"), "\\x7f\\u009b\\u202e\\u2066");
  EXPECT_EQ(printable("\xff\xc0\xaf\xed\xa0\x80"), "\\xff\\xc0\\xaf\\xed\\xa0\\x80");
  EXPECT_EQ(printable("cut \xe7\xac"), "cut \\xe7\\xac");
}
