// A long run: pairing by position a Destination whose vertex order is reversed cannot be made
// shorter, so the run shows where it is on the standard error and stops cleanly on Ctrl-C or a
// kill, dying of that signal with nothing written and its progress line erased. The progress
// line shows on a terminal once a run takes a second, always with --progress, never with
// --no-progress, and never touches the JSON report.
#include "HostileSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <sys/stat.h>

using namespace hostile;
using runner_test::ScratchFolder;
using runner_test::smallDocument;
using runner_test::writeFile;

namespace {

// Whether the text ends by erasing the line it showed: "\r", as many spaces, "\r".
bool endsErased(const std::string& err) {
  if (err.size() < 3 || err.back() != '\r')
    return false;
  const size_t start = err.find_last_of('\r', err.size() - 2);
  return start != std::string::npos && start + 2 < err.size() &&
         err.find_first_not_of(' ', start + 1) == err.size() - 1;
}

nlohmann::json withoutTimes(const std::string& report) {
  nlohmann::json j = nlohmann::json::parse(report);
  j.erase("seconds");
  return j;
}

} // namespace

TEST(HostileRunner, ALongRunStopsCleanlyOnASignalWhileItPairsVertices) {
  for (int signal : {SIGINT, SIGTERM}) {
    ScratchFolder dir;
    writeFile(dir.file("reversed.json"), reversedOrderDocument(100));
    writeFile(dir.file("out.json"), "previous result");
    const Snapshot before = snapshot(dir);
    Launch launch;
    launch.args = {"reversed.json", "--no-use-unique-ids", "-o",
                   "out.json",      "--progress",          "--pictures",
                   "pics",          "--show-dialog",       "dialog.html"};
    launch.interruptWhen = "transfer: pairing vertices";
    launch.signal = signal;
    const Outcome r = runRunner(dir, launch);
    EXPECT_EQ(r.signal, signal) << r.err;
    EXPECT_NE(r.err.find("\rtransfer: pairing vertices"), std::string::npos) << r.err;
    EXPECT_TRUE(endsErased(r.err)) << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
  }
}

TEST(HostileRunner, ProgressShowsOnATerminalOnceARunTakesASecond) {
  ScratchFolder dir;
  const std::string document = smallDocument();
  writeFile(dir.file("in.json"), document);
  Launch launch;
  launch.args = {"in.json", "--dry-run"};
  launch.terminalStandardError = true;
  // The document comes from a slow disk: its first read returns only once the line shows.
  launch.holdRead = "in.json";
  launch.releaseWhen = "reading in.json";
  const Outcome r = runRunner(dir, launch);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("\rreading in.json"), std::string::npos) << r.err;
  EXPECT_TRUE(endsErased(r.err)) << r.err;
  // A short run on a terminal shows nothing.
  writeFile(dir.file("small.json"), document);
  launch.args = {"small.json", "--dry-run"};
  launch.holdRead.clear();
  const Outcome quick = runRunner(dir, launch);
  ASSERT_EQ(quick.status, 0);
  EXPECT_EQ(quick.err, "");
}

TEST(HostileRunner, ProgressIsForcedOrSilencedAndLeavesTheJsonReportAlone) {
  ScratchFolder dir;
  writeFile(dir.file("reversed.json"), reversedOrderDocument(40));
  const std::vector<std::string> common = {"reversed.json", "--no-use-unique-ids", "--dry-run",
                                           "--report", "json"};
  auto run = [&](const char* flag, bool terminal) {
    Launch launch;
    launch.args = common;
    if (*flag)
      launch.args.push_back(flag);
    launch.terminalStandardError = terminal;
    return runRunner(dir, launch);
  };
  const Outcome forced = run("--progress", false), silenced = run("--no-progress", true),
                plain = run("", false);
  ASSERT_EQ(forced.status, 0) << forced.err;
  ASSERT_EQ(silenced.status, 0);
  ASSERT_EQ(plain.status, 0);
  EXPECT_NE(forced.err.find("\rreading reversed.json"), std::string::npos) << "forced onto a file";
  EXPECT_TRUE(endsErased(forced.err)) << forced.err;
  EXPECT_EQ(silenced.err, "") << "silenced on a terminal";
  EXPECT_EQ(plain.err, "") << "not a terminal";
  EXPECT_EQ(withoutTimes(forced.out), withoutTimes(plain.out));
  EXPECT_EQ(withoutTimes(silenced.out), withoutTimes(plain.out));
}
