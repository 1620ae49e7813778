// What is at an output's name: a folder, a device, a pipe or a link to one is refused saying what
// it is; an existing file keeps its permission bits; a new one takes the umask; a link at the
// name is replaced itself and the file it pointed to is left alone.
#include "HostileSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace hostile;
using runner_test::readFile;
using runner_test::ScratchFolder;
using runner_test::smallDocument;
using runner_test::writeFile;

TEST(HostileRunner, OutputsThatAreNoFilesAreRefusedSayingWhatTheyAre) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
    bool device = false; // needs a device node of its own
  };
  // Never a real device: a runner that failed this test would replace it.
  const std::vector<Case> cases = {
      {{"-o", "folder"}, "the output document \"folder\" is a folder: name a file to write"},
      {{"-o", "fifo"}, "the output document \"fifo\" is a named pipe (FIFO)"},
      {{"-o", "null"}, "the output document \"null\" is a character device", true},
      {{"-o", "null-link"},
       "the output document \"null-link\" is a symbolic link to a character "
       "device",
       true},
      {{"-o", "folder-link"}, "is a symbolic link to a folder"},
      {{"-o", "fifo.v2", "--layout", "binary"},
       "the side file \"fifo.bin\" of the output "
       "document \"fifo.v2\" is a named pipe (FIFO)"},
      {{"--show-dialog", "fifo", "--dry-run"}, "the dialog page \"fifo\" is a named pipe (FIFO)"},
      {{"--show-dialog", "folder", "--dry-run"}, "the dialog page \"folder\" is a folder"},
      {{"--viewer", "fifo", "--dry-run"}, "the viewer page \"fifo\" is a named pipe (FIFO)"},
      {{"--viewer", "folder-link"},
       "the viewer page \"folder-link\" is a symbolic link to a folder"},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    writeFile(dir.file("in.json"), smallDocument());
    std::filesystem::create_directory(dir.file("folder"));
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(dir.file("fifo.bin").c_str(), 0644), 0);
    // An earlier output that names the pipe as its side file: the file a write would replace.
    writeFile(dir.file("fifo.v2"), R"({"format": "tovalinder-document", "version": 1,
        "binary": {"file": "fifo.bin", "bytes": 0}, "objects": []})");
    // The null device's numbers, in the scratch folder (only a privileged user may make one).
    if (c.device && mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
      continue;
    std::filesystem::create_symlink("null", dir.file("null-link"));
    std::filesystem::create_directory_symlink("folder", dir.file("folder-link"));
    const Snapshot before = snapshot(dir);
    std::vector<std::string> args = {"in.json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome r = runRunner(dir, args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "") << c.message;
  }
}

TEST(HostileRunner, AnExistingOutputKeepsItsPermissionBitsAndANewOneTakesTheUmask) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  for (const char* name : {"out.json", "out.bin", "page.html"})
    writeFile(dir.file(name), "previous");
  chmod(dir.file("out.json").c_str(), 0640);
  chmod(dir.file("out.bin").c_str(), 0604);
  chmod(dir.file("page.html").c_str(), 0600);
  Launch launch;
  launch.args = {"in.json",       "-o",        "out.json",   "--layout", "binary",
                 "--show-dialog", "page.html", "--pictures", "pics"};
  launch.umask = 077;
  const Outcome r = runRunner(dir, launch);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(readFile(dir.file("out.json")), "previous");
  EXPECT_NE(readFile(dir.file("page.html")), "previous");
  EXPECT_EQ(permissions(dir.file("out.json")), 0640u);
  EXPECT_EQ(permissions(dir.file("out.bin")), 0604u);
  EXPECT_EQ(permissions(dir.file("page.html")), 0600u);
  EXPECT_EQ(permissions(dir.file("pics/1-elem_m-A.png")), 0600u); // new: 0666 less the umask
  launch.args = {"in.json", "-o", "new.json"};
  launch.umask = 027;
  ASSERT_EQ(runRunner(dir, launch).status, 0);
  EXPECT_EQ(permissions(dir.file("new.json")), 0640u);
}

TEST(HostileRunner, ALinkAtTheOutputIsReplacedItselfAndItsTargetLeftAlone) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  writeFile(dir.file("victim.txt"), "someone else's file");
  std::filesystem::create_symlink("victim.txt", dir.file("out.json"));
  std::filesystem::create_symlink("nowhere/at/all", dir.file("dangling.json"));
  const Snapshot before = snapshot(dir);
  ASSERT_EQ(runRunner(dir, {"in.json", "-o", "out.json"}).status, 0);
  ASSERT_EQ(runRunner(dir, {"in.json", "-o", "dangling.json"}).status, 0);
  EXPECT_EQ(readFile(dir.file("victim.txt")), "someone else's file");
  for (const char* name : {"out.json", "dangling.json"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.file(name))))
        << name;
    EXPECT_NE(readFile(dir.file(name)).find("tovalinder-document"), std::string::npos);
  }
  EXPECT_EQ(changesBesides(before, snapshot(dir), {"out.json", "dangling.json"}), "");
}
