// Outputs that name an input or each other: refused before anything is written (exit 2), the
// folder left exactly as it was, however the name is spelled (.., a linked folder, a hard or
// symbolic link); with --force the result may replace the input document as a whole.
#include "HostileSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace hostile;
using runner_test::readFile;
using runner_test::ScratchFolder;
using runner_test::smallDocument;
using runner_test::writeFile;

namespace {

// scene.json with its numbers in scene.bin, made by the runner itself; a sub folder, a link to
// the folder, and hard and symbolic links to the document.
void setUpScene(const ScratchFolder& dir) {
  writeFile(dir.file("small.json"), smallDocument());
  ASSERT_EQ(runRunner(dir, {"small.json", "-o", "scene.json", "--layout", "binary",
                            "--no-create-backup-elements", "--keep-object-names"})
                .status,
            0);
  std::filesystem::remove(dir.file("small.json"));
  std::filesystem::create_directory(dir.file("sub"));
  std::filesystem::create_directory_symlink(".", dir.file("here"));
  std::filesystem::create_hard_link(dir.file("scene.json"), dir.file("hard.json"));
  std::filesystem::create_symlink("scene.json", dir.file("link.json"));
}

struct Case {
  std::vector<std::string> args;
  std::string message;
};

} // namespace

TEST(HostileRunner, OutputsNamingAnInputOrEachOtherAreRefusedAndNothingChanges) {
  const std::string force = "give --force to replace the input";
  const std::string destroy = "writing it would destroy the input; choose another name";
  const std::vector<Case> cases = {
      {{"-o", "scene.json"},
       "the output document \"scene.json\" is the input document \"scene.json\": " + force},
      {{"-o", "sub/../scene.json"}, force},
      {{"-o", "here/scene.json"}, force},
      {{"-o", "hard.json"}, force},
      {{"-o", "link.json"}, force},
      {{"-o", "scene.v2"},
       "the side file \"scene.bin\" of the output document \"scene.v2\" is the "
       "side file \"scene.bin\" of the input document \"scene.json\": " +
           destroy},
      {{"-o", "scene.v2", "--force"}, destroy},
      {{"-o", "scene", "--layout", "binary", "--force"}, destroy},
      {{"-o", "scene.bin", "--layout", "readable"},
       "the output document \"scene.bin\" is the side "
       "file \"scene.bin\" of the input document"},
      {{"-o", "x.bin", "--layout", "binary"},
       "the output document \"x.bin\" and its own side file "
       "are the same file"},
      {{"--show-dialog", "scene.json", "--dry-run", "--force"},
       "the dialog page \"scene.json\" is the input document \"scene.json\": " + destroy},
      {{"--show-dialog", "here/scene.bin", "--dry-run"},
       "the dialog page \"here/scene.bin\" is "
       "the side file \"scene.bin\""},
      {{"-o", "out.json", "--show-dialog", "out.json"},
       "the output document \"out.json\" and the "
       "dialog page \"out.json\" are the same file"},
      {{"-o", "out.json", "--show-dialog", "sub/../out.bin"}, "are the same file"},
      {{"--pictures", "scene.json", "--dry-run"}, "the pictures folder \"scene.json\" is a file"},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    setUpScene(dir);
    const Snapshot before = snapshot(dir);
    std::vector<std::string> args = {"scene.json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome r = runRunner(dir, args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "") << c.message;
  }
}

TEST(HostileRunner, APictureNamingTheInputIsRefusedOnceItsNameIsKnown) {
  ScratchFolder dir;
  std::filesystem::create_directory(dir.file("pics"));
  // The first new element's picture is "1-elem_m-A.png": here that is the document itself.
  writeFile(dir.file("pics/1-elem_m-A.png"), smallDocument());
  const Snapshot before = snapshot(dir);
  const Outcome r = runRunner(dir, {"pics/1-elem_m-A.png", "--pictures", "pics", "--dry-run"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the picture \"pics/1-elem_m-A.png\" is the input document"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
}

TEST(HostileRunner, ForceReplacesTheInputDocumentAsAWholeAndItReadsBack) {
  for (const char* layout : {"binary", "readable"}) {
    ScratchFolder dir;
    setUpScene(dir);
    const Snapshot before = snapshot(dir);
    const std::string old = readFile(dir.file("scene.json"));
    const Outcome r = runRunner(dir, {"scene.json", "-o", "scene.json", "--force", "--layout",
                                      layout, "--keep-object-names"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readFile(dir.file("scene.json")), old);
    // The hard link keeps the old document: only the name given was replaced.
    EXPECT_EQ(readFile(dir.file("hard.json")), old);
    EXPECT_EQ(changesBesides(before, snapshot(dir), {"scene.json", "scene.bin", "link.json"}), "");
    EXPECT_TRUE(temporaries(dir).empty());
    // It holds the new element beside the old one, and reads back.
    EXPECT_NE(readFile(dir.file("scene.json")).find("\"#elem:m-A\""), std::string::npos);
    const Outcome again = runRunner(dir, {"scene.json", "--dry-run", "--report", "json"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("\"#elem:m-A2\""), std::string::npos) << layout;
  }
}

TEST(HostileRunner, ADryRunWritesNoDocumentSoItsNameMayBeTheInput) {
  ScratchFolder dir;
  setUpScene(dir);
  const Snapshot before = snapshot(dir);
  const Outcome r = runRunner(dir, {"scene.json", "-o", "scene.json", "--dry-run"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
}

TEST(HostileRunner, ADialogPageNamingAGltfFileOfTheRunIsRefusedBeforeItIsRead) {
  ScratchFolder dir;
  const std::string make = std::string(TOVALINDER_SAMPLE_TOOL_FILE) + " " + dir.file("s.glb") +
                           " " + dir.file("e.glb") + " >/dev/null";
  ASSERT_EQ(std::system(make.c_str()), 0);
  std::filesystem::create_directory_symlink(".", dir.file("here"));
  const Snapshot before = snapshot(dir);
  for (const char* page : {"e.glb", "here/s.glb", "out.glb"}) {
    const Outcome r = runRunner(dir, {"s.glb", "e.glb", "-o", "out.glb", "--show-dialog", page});
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(std::string("the dialog page \"") + page + "\""), std::string::npos)
        << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
  }
}

TEST(HostileRunner, ADialogPageNamingAModelFileOfTheRunIsRefused) {
  ScratchFolder dir;
  const std::string quad = "v 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n";
  writeFile(dir.file("base.obj"), "v 0 0 0\n" + quad);
  writeFile(dir.file("smile.obj"), "v 0 0 0.5\n" + quad);
  writeFile(dir.file("edited.obj"), "v 0 0 0\n" + quad);
  std::filesystem::create_directory(dir.file("sub"));
  const std::vector<std::string> run = {"--source",      "base.obj",   "--morph",      "smile.obj",
                                        "--destination", "edited.obj", "--output-dir", "out"};
  const Snapshot before = snapshot(dir);
  for (const char* page : {"smile.obj", "sub/../edited.obj"}) {
    std::vector<std::string> args = run;
    args.insert(args.end(), {"--show-dialog", page});
    const Outcome r = runRunner(dir, args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(std::string("the dialog page \"") + page + "\" is the "),
              std::string::npos)
        << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
  }
  std::vector<std::string> args = run;
  args.insert(args.end(), {"--show-dialog", "page.html"});
  const Outcome r = runRunner(dir, args);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(changesBesides(before, snapshot(dir), {"out", "page.html"}), "");
}
