// The document commit against real processes: killed at every step and at random moments of a
// large write, a write on a disk that fills up, and several writers and a reader on one document
// at once. POSIX only (fork, kill, mount).
#include "CommitTestSupport.h"
#include "SampleCharacter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace runner;
using namespace runner_test;

namespace {

// Runs body in a child process; answers its exit status (-signal when killed).
template <typename Body> int inChild(Body body, double killAfterSeconds = -1) {
  const pid_t child = fork();
  if (child == 0) {
    int code = 1;
    try {
      code = body();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child: %s\n", e.what());
    }
    _exit(code);
  }
  if (killAfterSeconds >= 0) {
    std::this_thread::sleep_for(std::chrono::duration<double>(killAfterSeconds));
    kill(child, SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

const int kFinished = 3; // the child's write ran to its end

} // namespace

TEST(DocumentCommitProcesses, AKillAtAnyStepLeavesTheOldOrTheNewDocument) {
  const Variants v;
  const DataLayout pairs[][2] = {{DataLayout::SideFile, DataLayout::SideFile},
                                 {DataLayout::Readable, DataLayout::SideFile},
                                 {DataLayout::SideFile, DataLayout::Readable}};
  for (const auto& layouts : pairs) {
    for (int k = 1;; ++k) {
      SCOPED_TRACE("killed at step " + std::to_string(k));
      ScratchFolder dir;
      const std::string out = dir.file("out.json");
      writeDocument(out, v.a, layouts[0]);
      const int code = inChild([&] {
        int steps = 0;
        setWriteStepHook([&](const std::string&) { return ++steps == k ? (_exit(0), 0) : 0; });
        writeDocument(out, v.b, layouts[1]);
        return kFinished;
      });
      ASSERT_TRUE(code == 0 || code == kFinished) << code;
      const std::string now = loaded(out);
      EXPECT_TRUE(now == v.describedA || now == v.describedB) << now.substr(0, 300);
      if (code == kFinished) {
        EXPECT_EQ(now, v.describedB);
      }
      // The next write clears what the killed one left of the document's own files.
      writeDocument(out, v.c, DataLayout::SideFile);
      EXPECT_EQ(loaded(out), v.describedC);
      EXPECT_EQ(ownListing(dir, "out.json"), "out.json " + sideFileName(out));
      if (code == kFinished)
        break;
    }
  }
}

TEST(DocumentCommitProcesses, SigkillAtRandomMomentsOfALargeWrite) {
  sim::Host host;
  sim::Document& a = host.newDocument();
  sim::Document& b = host.newDocument();
  buildSampleDocument(a, sampleOptionsForVertices(20000, 4));
  buildSampleDocument(b, sampleOptionsForVertices(20000, 4));
  b.objectAt(0)->editPositions()[0].y += 1.0f;
  const std::string digestA = digest(a), digestB = digest(b);
  const Variants v;
  for (double seconds : {0.0, 0.002, 0.01, 0.03, 0.08, 0.2}) {
    SCOPED_TRACE("killed after " + std::to_string(seconds) + " s");
    ScratchFolder dir;
    const std::string out = dir.file("out.json");
    writeDocument(out, a, DataLayout::SideFile);
    inChild(
        [&] {
          writeDocument(out, b, seconds < 0.05 ? DataLayout::SideFile : DataLayout::Readable);
          return kFinished;
        },
        seconds);
    sim::Document& now = host.newDocument();
    ASSERT_NO_THROW(readDocument(out, now));
    EXPECT_TRUE(digest(now) == digestA || digest(now) == digestB);
    writeDocument(out, v.c, DataLayout::SideFile);
    EXPECT_EQ(ownListing(dir, "out.json"), "out.json " + sideFileName(out));
  }
}

TEST(DocumentCommitProcesses, AFullDiskFailsTheWriteAndKeepsTheOldDocument) {
  const Variants v;
  sim::Host host;
  sim::Document& large = host.newDocument();
  buildSampleDocument(large, sampleOptionsForVertices(20000, 3));
  struct Disk {
    const char* options;
    DataLayout layout;
  };
  // Full while the side file is written, while the JSON is, and with no file entry left for a
  // marker.
  const Disk disks[] = {{"size=200k", DataLayout::SideFile},
                        {"size=1m", DataLayout::SideFile},
                        {"size=200k", DataLayout::Readable},
                        {"size=1m", DataLayout::Readable},
                        {"size=8m,nr_inodes=4", DataLayout::SideFile}};
  for (const Disk& disk : disks) {
    SCOPED_TRACE(disk.options);
    ScratchFolder dir;
    const std::string mountPoint = dir.file("disk");
    ASSERT_EQ(mkdir(mountPoint.c_str(), 0700), 0);
    const int code = inChild([&] {
      if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
          mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, disk.options) != 0)
        return 77;
      const std::string out = mountPoint + "/out.json";
      writeDocument(out, v.a, DataLayout::SideFile);
      try {
        writeDocument(out, large, disk.layout);
        return 10; // the disk was not full after all
      } catch (const FileError& e) {
        std::fprintf(stderr, "refused as it should be: %s\n", e.what());
      }
      if (loaded(out) != v.describedA)
        return 11;
      std::error_code ignored;
      int files = 0;
      for (const auto& entry : std::filesystem::directory_iterator(mountPoint, ignored)) {
        (void)entry;
        ++files;
      }
      return files == 2 ? 0 : 12; // the document and its side file, nothing else
    });
    if (code == 77)
      GTEST_SKIP() << "no right to mount a small disk here";
    EXPECT_EQ(code, 0) << "10: written on a full disk, 11: old document lost, 12: files left";
  }
}

TEST(DocumentCommitProcesses, WritersAndAReaderAtOnce) {
  const Variants v;
  ScratchFolder dir;
  const std::string out = dir.file("out.json");
  writeDocument(out, v.a, DataLayout::SideFile);
  auto writer = [&](const sim::Document& document, DataLayout other) {
    return [&, other] {
      for (int i = 0; i < 25; ++i)
        writeDocument(out, document, i % 2 ? other : DataLayout::SideFile);
      return 0;
    };
  };
  const pid_t reader = fork();
  if (reader == 0) {
    for (int i = 0; i < 300; ++i) {
      const std::string now = loaded(out);
      if (now != v.describedA && now != v.describedB && now != v.describedC) {
        std::fprintf(stderr, "reader saw: %s\n", now.substr(0, 300).c_str());
        _exit(1);
      }
    }
    _exit(0);
  }
  std::thread first([&] { EXPECT_EQ(inChild(writer(v.b, DataLayout::Readable)), 0); });
  std::thread second([&] { EXPECT_EQ(inChild(writer(v.c, DataLayout::Base64)), 0); });
  first.join();
  second.join();
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a reader met a broken document";
  const std::string now = loaded(out);
  EXPECT_TRUE(now == v.describedB || now == v.describedC);
  const std::string side = sideFileName(out);
  EXPECT_EQ(dir.listing(), side.empty() ? "out.json" : "out.json " + side);
}
