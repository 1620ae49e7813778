// Outputs that name an input or each other: refused before anything is written (exit 2), the
// folder left exactly as it was, however the name is spelled (.., a linked folder, a hard or
// symbolic link); with --force the result may replace the input document as a whole.
#include "DocumentFile.h"
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

// scene.json with its numbers in its side file (sceneSide()), made by the runner itself; a sub
// folder, a link to the folder, and hard and symbolic links to the document.
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

// The file name of the side file a document names ("" for none).
std::string sideOf(const std::string& document) {
  return std::filesystem::path(runner::referencedSideFile(document)).filename().string();
}

// The name of scene.json's side file: named after the document and its content, so the same in
// every folder set up alike.
std::string sceneSide() {
  ScratchFolder dir;
  setUpScene(dir);
  return sideOf(dir.file("scene.json"));
}

struct Case {
  std::vector<std::string> args;
  std::string message;
};

} // namespace

TEST(HostileRunner, OutputsNamingAnInputOrEachOtherAreRefusedAndNothingChanges) {
  const std::string force = "give --force to replace the input";
  const std::string destroy = "writing it would destroy the input; choose another name";
  const std::string side = sceneSide();
  const std::vector<Case> cases = {
      {{"-o", "scene.json"},
       "the output document \"scene.json\" is the input document \"scene.json\": " + force},
      {{"-o", "sub/../scene.json"}, force},
      {{"-o", "here/scene.json"}, force},
      {{"-o", "hard.json"}, force},
      {{"-o", "link.json"}, force},
      {{"-o", side, "--layout", "readable"},
       "the output document \"" + side + "\" is the side file \"" + side +
           "\" of the input document"},
      {{"-o", side, "--force"}, destroy},
      {{"--show-dialog", "scene.json", "--dry-run", "--force"},
       "the dialog page \"scene.json\" is the input document \"scene.json\": " + destroy},
      {{"--show-dialog", "here/" + side, "--dry-run"},
       "the dialog page \"here/" + side + "\" is the side file \"" + side + "\""},
      {{"-o", "out.json", "--show-dialog", "out.json"},
       "the output document \"out.json\" and the "
       "dialog page \"out.json\" are the same file"},
      {{"-o", "out.json", "--show-dialog", "sub/../out.json"}, "are the same file"},
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

TEST(HostileRunner, NamesThatOnceSharedTheInputsSideFileNowWriteBesideIt) {
  // Under the earlier rule (side file NAME.bin) each of these wrote over scene.bin.
  const std::vector<std::vector<std::string>> cases = {{"-o", "scene.v2"},
                                                       {"-o", "scene", "--layout", "binary"},
                                                       {"-o", "x.bin", "--layout", "binary"}};
  for (const std::vector<std::string>& c : cases) {
    ScratchFolder dir;
    setUpScene(dir);
    const Snapshot before = snapshot(dir);
    std::vector<std::string> args = {"scene.json"};
    args.insert(args.end(), c.begin(), c.end());
    const Outcome r = runRunner(dir, args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string out = dir.file(c[1]);
    EXPECT_EQ(changesBesides(before, snapshot(dir), {c[1], sideOf(out)}), "") << c[1];
    for (const std::string& document : {dir.file("scene.json"), out}) {
      sim::Host host;
      sim::Document& back = host.newDocument();
      EXPECT_NO_THROW(runner::readDocument(document, back)) << document;
    }
  }
}

TEST(HostileRunner, ForceReplacesTheInputDocumentAsAWholeAndItReadsBack) {
  for (const char* layout : {"binary", "readable"}) {
    ScratchFolder dir;
    setUpScene(dir);
    const Snapshot before = snapshot(dir);
    const std::string old = readFile(dir.file("scene.json"));
    const std::string oldSide = sideOf(dir.file("scene.json"));
    const Outcome r = runRunner(dir, {"scene.json", "-o", "scene.json", "--force", "--layout",
                                      layout, "--keep-object-names"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The old side file went with the document it served; a new one has a name of its own. Here
    // the new element holds the old one's values, which the old side file already has: a side
    // file of the same bytes (and so the same name) serves the new document as it stands.
    const std::string newSide = sideOf(dir.file("scene.json"));
    if (newSide != oldSide || oldSide.empty())
      EXPECT_FALSE(!oldSide.empty() && std::filesystem::exists(dir.file(oldSide)));
    else
      EXPECT_EQ(snapshot(dir).at(newSide), before.at(oldSide));
    EXPECT_NE(readFile(dir.file("scene.json")), old);
    // The hard link keeps the old document: only the name given was replaced.
    EXPECT_EQ(readFile(dir.file("hard.json")), old);
    EXPECT_EQ(changesBesides(before, snapshot(dir), {"scene.json", oldSide, newSide, "link.json"}),
              "");
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
