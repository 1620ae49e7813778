// Kills and failing disks at each step of writing (injected into the program's file calls):
// afterwards no temporary is left, the previous outputs are whole, and the pictures and the
// dialog page exist only when the run succeeded. Temporaries are created exclusively under
// unpredictable names, never through a link, never more open than the file they replace.
#include "DocumentFile.h"
#include "HostileSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

using namespace hostile;
using runner_test::readFile;
using runner_test::samplePath;
using runner_test::ScratchFolder;
using runner_test::smallDocument;
using runner_test::writeFile;

namespace {

// A previous result (a document with its side file) that a failed run must leave whole.
void setUpPrevious(const ScratchFolder& dir) {
  writeFile(dir.file("in.json"), readFile(samplePath()));
  writeFile(dir.file("out.json"), "previous document");
  writeFile(dir.file("out.bin"), "previous numbers");
}

Launch fullRun(const std::string& fault) {
  Launch launch;
  launch.args = {"in.json",     "-o",         "out.json",   "--layout",
                 "binary",      "--pictures", "pics/front", "--show-dialog",
                 "dialog.html", "--viewer",   "viewer.html"};
  launch.fault = fault;
  return launch;
}

} // namespace

TEST(HostileRunner, AKillAtAnyStepOfWritingLeavesNoTemporaryAndThePreviousOutputs) {
  // Writes: the dialog page, the viewer page, the five pictures, then the document; renames: the
  // side file, the document, then the pages and the pictures.
  const std::vector<std::pair<std::string, int>> faults = {
      {"write:1:SIGTERM", SIGTERM}, {"write:4:SIGINT", SIGINT},   {"write:9:SIGTERM", SIGTERM},
      {"fsync:1:SIGINT", SIGINT},   {"fsync:7:SIGTERM", SIGTERM}, {"rename:1:SIGINT", SIGINT}};
  for (const auto& [fault, signal] : faults) {
    ScratchFolder dir;
    setUpPrevious(dir);
    const Snapshot before = snapshot(dir);
    const Outcome r = runRunner(dir, fullRun(fault));
    EXPECT_EQ(r.signal, signal) << fault << "\n" << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "") << fault;
  }
}

TEST(HostileRunner, AFullOrFailingDiskFailsTheRunAndChangesNothing) {
  for (const char* fault : {"write:1:ENOSPC", "write:3:ENOSPC", "write:8:ENOSPC", "fsync:1:EIO",
                            "fsync:7:EIO", "rename:1:EIO"}) {
    ScratchFolder dir;
    setUpPrevious(dir);
    const Snapshot before = snapshot(dir);
    const Outcome r = runRunner(dir, fullRun(fault));
    EXPECT_EQ(r.status, 1) << fault << "\n" << r.err;
    EXPECT_NE(r.err.find("could not"), std::string::npos) << fault << "\n" << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "") << fault;
  }
}

TEST(HostileRunner, PicturesAndTheDialogPageAreWrittenOnlyWhenTheRunSucceeds) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--cancel"},
       4,
       "cancelled in the options dialog: the document was not changed and "
       "nothing was written"},
      {{"--element", "elem:none-A"}, 3, "the dialog does not list \"elem:none-A\""},
      {{"-o", "missing/out.json"}, 1, "missing/out.json: cannot create the file"},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    writeFile(dir.file("in.json"), smallDocument());
    const Snapshot before = snapshot(dir);
    std::vector<std::string> args = {"in.json", "--pictures", "a/b/c", "--show-dialog", "d.html"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome r = runRunner(dir, args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "") << c.message;
  }
}

TEST(HostileRunner, TemporariesAreCreatedExclusivelyUnderUnpredictableNames) {
  ScratchFolder dir, logs;
  setUpPrevious(dir);
  // A previous result in the binary layout whose numbers only their owner may read.
  sim::Host host;
  sim::Document& previous = host.newDocument();
  runner::readDocument(dir.file("in.json"), previous);
  runner::writeDocument(dir.file("out.json"), previous, runner::DataLayout::SideFile);
  chmod(runner::referencedSideFile(dir.file("out.json")).c_str(), 0600);
  std::vector<std::string> names;
  for (int run = 0; run < 2; ++run) {
    Launch launch = fullRun("");
    launch.openLog = logs.file("open" + std::to_string(run));
    ASSERT_EQ(runRunner(dir, launch).status, 0);
    std::istringstream log(readFile(launch.openLog));
    size_t created = 0;
    for (std::string path, excl, nofollow, mode; log >> path >> excl >> nofollow >> mode;) {
      // A coverage build's instrumentation writes its counts at exit; they are not the runner's.
      if (path.size() > 5 && path.substr(path.size() - 5) == ".gcda")
        continue;
      ++created;
      EXPECT_EQ(path.substr(path.size() - 4), ".tmp") << path;
      EXPECT_EQ(excl, "excl=1") << path;
      EXPECT_EQ(nofollow, "nofollow=1") << path;
      // The new side file is created no more open than the one it supersedes.
      if (path.rfind("out.json.", 0) == 0 && path.find(".bin.") != std::string::npos) {
        EXPECT_EQ(mode, "mode=600") << path;
      }
      names.push_back(path);
    }
    // The two pages, five pictures, the document and its side file; on the first run also the
    // markers of the new side file and of the one it supersedes (the second run writes the same
    // side file again and has no marker to place).
    EXPECT_EQ(created, run == 0 ? 11u : 9u);
    struct stat side {};
    ASSERT_EQ(stat(runner::referencedSideFile(dir.file("out.json")).c_str(), &side), 0);
    EXPECT_EQ(side.st_mode & 0777, 0600u);
  }
  // Same targets, other names: nothing about a run's temporaries can be guessed beforehand.
  for (size_t i = 0; i < names.size(); ++i)
    for (size_t j = i + 1; j < names.size(); ++j)
      EXPECT_NE(names[i], names[j]);
  EXPECT_TRUE(temporaries(dir).empty());
}
