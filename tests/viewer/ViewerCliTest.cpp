// --viewer as a user gives it: written with the other outputs and named in the report, refused
// with status 2 before anything is written when it would overwrite an input or another output,
// and never left behind by a run that stops.
#include "ProgramRun.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace runner_test;

namespace {

Result runner(const std::vector<std::string>& args, const ScratchFolder& dir) {
  return runProgram(TOVALINDER_RUNNER_FILE, args, dir);
}

TEST(ViewerCli, pageIsWrittenWithTheResultAndNamedInTheReport) {
  ScratchFolder dir;
  const Result r = runner({samplePath(), "-o", "out.json", "--viewer", "page.html"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Viewer page: page.html\n"), std::string::npos) << r.out;
  EXPECT_EQ(dir.listing(), "out.json page.html");
  const std::string page = readFile(dir.file("page.html"));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("\"name\":\"elem:armsUp-Body\""), std::string::npos);
  const Result json =
      runner({samplePath(), "--dry-run", "--viewer", "again.html", "--report", "json"}, dir);
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(nlohmann::json::parse(json.out)["viewerPage"], "again.html");
  EXPECT_EQ(readFile(dir.file("again.html")), page) << "the same run makes the same page";
}

TEST(ViewerCli, pageThatWouldOverwriteAnInputOrAnOutputIsRefused) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  const std::string input = readFile(dir.file("in.json"));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"in.json", "-o", "out.json", "--viewer", "in.json"}, "the input document"},
      {{"in.json", "-o", "out.json", "--viewer", "./out.json"}, "the output document"},
      {{"in.json", "-o", "out.json", "--viewer", "v.html", "--show-dialog", "v.html"},
       "the dialog page"},
      {{"in.json", "--viewer", ""}, "--viewer needs a file name"},
      {{"in.json", "--viewer"}, "--viewer needs a value"}};
  for (const auto& [args, message] : cases) {
    const Result r = runner(args, dir);
    EXPECT_EQ(r.status, 2) << message << "\n" << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(dir.listing(), "in.json") << message;
    EXPECT_EQ(readFile(dir.file("in.json")), input);
  }
}

TEST(ViewerCli, pageNamingAModelFileOfTheRunIsRefused) {
  ScratchFolder dir;
  ASSERT_EQ(runProgram(TOVALINDER_SAMPLE_TOOL_FILE, {"--obj", "set"}, dir).status, 0);
  const std::string base = readFile(dir.file("set/Body.obj"));
  const Result r =
      runner({"--source", "set/Body.obj", "--morph", "set/shapes/*.obj", "--destination",
              "set/BodyEdited.obj", "--output-dir", "out", "--viewer", "set/shapes/smile.obj"},
             dir);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("smile.obj"), std::string::npos) << r.err;
  EXPECT_EQ(dir.listing(), "set");
  EXPECT_EQ(readFile(dir.file("set/Body.obj")), base);
}

TEST(ViewerCli, runThatStopsLeavesNoPage) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  const Result cancelled = runner({"in.json", "--viewer", "page.html", "--cancel"}, dir);
  EXPECT_EQ(cancelled.status, 4) << cancelled.err;
  const Result unknown = runner({"in.json", "--viewer", "page.html", "--element", "nope"}, dir);
  EXPECT_EQ(unknown.status, 3) << unknown.err;
  EXPECT_EQ(dir.listing(), "in.json");
}

} // namespace
