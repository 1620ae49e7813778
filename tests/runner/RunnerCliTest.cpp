// The command-line program as a user starts it: help and version, every kind of bad usage and
// bad input with its message and exit status and no output written, the sample's transfer with
// its report, pictures and dialog page, and the bundled sample being what the generator makes.
#include "AnalyticScenes.h"
#include "ProgramRun.h"
#include "RunnerTestSupport.h"
#include "dialog/DialogOptions.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace runner_test;

namespace {

Result runner(const std::vector<std::string>& args, const ScratchFolder& dir) {
  return runProgram(TOVALINDER_RUNNER_FILE, args, dir);
}

} // namespace

TEST(RunnerCli, HelpNamesEveryOptionWithTheDialogsCaption) {
  ScratchFolder dir;
  const Result r = runner({"--help"}, dir);
  EXPECT_EQ(r.status, 0);
  // Each option of the dialog by its flag, its state as the dialog opens and its caption.
  for (const dialog::DialogOption& option : dialog::kDialogOptions) {
    const std::string line = std::string("--[no-]") + option.flag + " (" +
                             (option.initiallyChecked ? "on" : "off") + " by default)";
    EXPECT_NE(r.out.find(line), std::string::npos) << line;
    EXPECT_NE(r.out.find(std::string("[") + option.caption + "]"), std::string::npos)
        << option.caption;
  }
  for (const char* text : {"--element NAME", "--rate", "--cancel", "--dry-run", "--report FORMAT",
                           "--show-dialog FILE", "--viewer FILE", "--pictures", "--source NAME",
                           "--destination NAME", "Examples:", "Exit status"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
  const Result v = runner({"--version"}, dir);
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out.rfind("tovalinder-run ", 0), 0u) << v.out;
}

TEST(RunnerCli, BadUsageExitsWithTwoAndWritesNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no document given"},
      {{"--frobnicate", samplePath()}, "unknown option --frobnicate"},
      {{samplePath(), "--output"}, "--output needs a value"},
      {{samplePath(), "--rate", "12abc"}, "--rate \"12abc\": the Rate field takes a number"},
      {{samplePath(), "--rate=1e"}, "--rate \"1e\""},
      {{samplePath(), "--report", "xml"}, "--report xml: use text or json"},
      {{samplePath(), "--layout", "zip"}, "--layout zip"},
      {{samplePath(), "--added-vertices", "smooth"},
       "--added-vertices smooth: use plugin or surface"},
      {{samplePath(), "--added-vertices"}, "--added-vertices needs a value"},
      {{samplePath(), samplePath()}, "one document at a time"},
      {{samplePath(), "--dry-run=yes"}, "--dry-run takes no value"},
  };
  for (const auto& [args, message] : cases) {
    ScratchFolder dir;
    const Result r = runner(args, dir);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos);
    EXPECT_EQ(dir.listing(), "");
  }
}

TEST(RunnerCli, BadInputExitsWithThreeNamesThePlaceAndWritesNothing) {
  const std::string head = R"({"format": "tovalinder-document", "version": 1, "objects": [)";
  struct Case {
    std::string document;
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"{\"format\": ", {}, "in.json: not valid JSON"},
      {R"({"format": "tovalinder-document", "version": 7, "objects": []})",
       {},
       "in.json: version: unsupported version 7"},
      {head + R"({"name": "A", "selected": true, "vertices": {"positions": [[0,0,0]]},
         "faces": {"points": [[0, 0, 9]]}}]})",
       {},
       "in.json: objects[0] (\"A\").faces.points[0][2]: face 0 uses vertex 9"},
      {head + R"({"name": "A", "vertices": {"positions": [[0,0,0],[1,1,1]],
         "uniqueIds": [3, 3]}}]})",
       {},
       "in.json: objects[0] (\"A\").vertices.uniqueIds[1]: duplicate unique ID 3"},
      {smallDocument(), {"--source", "Z"}, "no object is named \"Z\" (Source)"},
      {head + R"({"name": "A"}, {"name": "A"}]})", {"--source", "A"}, "2 objects are named \"A\""},
      {head + R"({"name": "A"}]})", {}, "no object is selected"},
      {smallDocument(),
       {"--element", "elem:x-A"},
       "the dialog does not list \"elem:x-A\"; it lists \"elem:m-A\""},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    writeFile(dir.file("in.json"), c.document);
    writeFile(dir.file("out.json"), "previous result");
    std::vector<std::string> args = {"in.json", "-o", "out.json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = runner(args, dir);
    EXPECT_EQ(r.status, 3) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(readFile(dir.file("out.json")), "previous result");
    EXPECT_EQ(dir.listing(), "in.json out.json");
  }
  ScratchFolder dir;
  const Result missing = runner({"gone.json"}, dir);
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("gone.json: cannot open the file"), std::string::npos);
  EXPECT_EQ(dir.listing(), "");
}

TEST(RunnerCli, AnOutputThatCannotBeWrittenExitsWithOneAndLeavesNothing) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  const Result r = runner({"in.json", "-o", "missing/out.json", "--layout", "binary"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing/out.json: cannot create the file"), std::string::npos) << r.err;
  EXPECT_EQ(dir.listing(), "in.json");
}

TEST(RunnerCli, CancelExitsWithFourAndWritesNothing) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  const Result r = runner({"in.json", "--cancel", "--report", "json"}, dir);
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("cancelled"), std::string::npos) << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["ok"], false);
  EXPECT_EQ(report["exitCode"], 4);
  EXPECT_EQ(dir.listing(), "in.json");
}

TEST(RunnerCli, TheSampleTransferReportsPicturesAndWrites) {
  ScratchFolder dir;
  const Result r =
      runner({samplePath(), "--pictures", "pictures", "--show-dialog", "dialog.html"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* line :
       {"Source         \"Body\" (2260 vertices, 2288 faces)",
        "Destination    \"BodyEdited\" (2291 vertices, 2323 faces)",
        "\"elem:smile-Body\"   from \"elem:smile-Body\"; old element kept as \"#elem:smile-Body\"",
        "142 vertices moved", "134 faces not paired of 2323",
        "matched to a Source vertex          2259", "added, morph interpolated           32",
        "Source \"Body\" is now \"#Body\", Destination \"BodyEdited\" is now \"Body\"",
        "Host showed: \"Attributes of some faces were not copied.\"", "Time: read ",
        "Written: character-transferred.json"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  // 32 of 2291 interpolated: too few to suggest the surface mode.
  EXPECT_EQ(r.out.find("Tip:"), std::string::npos) << r.out;
  EXPECT_EQ(dir.listing(), "character-transferred.json dialog.html pictures");
  const std::string png = readFile(dir.file("pictures/1-elem_smile-Body.png"));
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x04\x01\0\0\x02\0", 8)); // 1025 x 512
  const std::string page = readFile(dir.file("dialog.html"));
  EXPECT_NE(page.find("elem:sneerL-Body"), std::string::npos);
  EXPECT_NE(page.find("モーフ左右反転"), std::string::npos);
  // The result reads back, with the new elements beside the backups.
  const Result again = runner({"character-transferred.json", "--source", "Body", "--destination",
                               "Body", "--dry-run", "--cancel"},
                              dir);
  EXPECT_EQ(again.status, 4) << again.err;
}

TEST(RunnerCli, DryRunAndJsonReportForPipelines) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  const Result r = runner(
      {"in.json", "--dry-run", "--report=json", "--rate", "50", "--no-create-backup-elements"},
      dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.listing(), "in.json");
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["ok"], true);
  EXPECT_EQ(report["written"], false);
  EXPECT_EQ(report["dialog"]["rate"], 0.5);
  EXPECT_EQ(report["dialog"]["options"]["create-backup-elements"], false);
  EXPECT_EQ(report["elements"][0]["name"], "elem:m-A");
  EXPECT_EQ(report["elements"][0]["oldRemoved"], true);
  EXPECT_EQ(report["elements"][0]["movedVertices"], 1);
  EXPECT_EQ(report["vertices"]["matched"], 4);
  EXPECT_EQ(report["destination"]["nameAfter"], "A");
  EXPECT_FALSE(report.contains("addedVertices"));
  // What the plug-in asked of the host, last: each function it called, with its count.
  const nlohmann::json& calls = report["hostCalls"];
  ASSERT_TRUE(calls.is_object());
  EXPECT_EQ(calls["MQObj_SetVertex"], 1) << "of the four matched vertices, the one that moves";
  EXPECT_EQ(calls["MQObj_Clone"], 1);
  EXPECT_FALSE(calls.contains("MQ_LoadImage")) << "functions never called are left out";
  for (const auto& call : calls.items())
    EXPECT_GT(call.value().get<unsigned long long>(), 0u) << call.key();
  EXPECT_GT(r.out.find("\"hostCalls\""), r.out.find("\"seconds\"")) << "after the other keys";
}

TEST(RunnerCli, TheRateFieldTakesWhatAPersonCanTypeAndThePluginReadsIt) {
  // An emptied field is something a person can leave; the plug-in reads it as no number: 0.
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  const Result emptied = runner({"in.json", "--dry-run", "--report=json", "--rate", ""}, dir);
  ASSERT_EQ(emptied.status, 0) << emptied.err;
  nlohmann::json report = nlohmann::json::parse(emptied.out);
  EXPECT_EQ(report["dialog"]["rateText"], "");
  EXPECT_EQ(report["dialog"]["rate"], 0.0);
  EXPECT_EQ(report["elements"][0]["movedVertices"], 0);
  // A text the field would refuse never reaches the dialog.
  for (const char* refused : {"+", ".", "1e", "1.2.3", "12abc", " 7"}) {
    const Result r = runner({"in.json", "--dry-run", "--rate", refused}, dir);
    EXPECT_EQ(r.status, 2) << refused;
  }
  const Result exponent = runner({"in.json", "--dry-run", "--report=json", "--rate", "-5e1"}, dir);
  ASSERT_EQ(exponent.status, 0) << exponent.err;
  report = nlohmann::json::parse(exponent.out);
  EXPECT_EQ(report["dialog"]["rate"], -0.5);
}

TEST(RunnerCli, OutputLayoutsReadBackTheSame) {
  ScratchFolder dir;
  writeFile(dir.file("in.json"), smallDocument());
  ASSERT_EQ(runner({"in.json", "-o", "a.json", "--layout", "binary"}, dir).status, 0);
  ASSERT_EQ(runner({"in.json", "-o", "b.json", "--layout", "base64"}, dir).status, 0);
  // The side file is named after the document and its own bytes, and the JSON names it.
  const std::string listing = dir.listing();
  ASSERT_EQ(listing.size(), std::string("a.json a.json.0123456789abcdef.bin b.json in.json").size())
      << listing;
  const std::string side = listing.substr(7, 27);
  EXPECT_EQ(listing, "a.json " + side + " b.json in.json");
  EXPECT_NE(readFile(dir.file("a.json")).find("\"binary\": {\"file\": \"" + side + "\""),
            std::string::npos);
  EXPECT_NE(readFile(dir.file("b.json")).find("\"base64\""), std::string::npos);
}

TEST(RunnerCli, TheBundledSampleIsWhatTheGeneratorMakes) {
  ScratchFolder dir;
  const Result r = runProgram(TOVALINDER_SAMPLE_TOOL_FILE, {"character.json"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(readFile(dir.file("character.json")) == readFile(samplePath()))
      << "samples/character.json is out of date: regenerate it with tovalinder-sample";
}

TEST(RunnerCli, ASubdivisionIsToldOfTheSurfaceModeWhichRewritesOnlyItsAddedVertices) {
  ScratchFolder dir;
  analytic::writeDocumentFile(dir.file("sheet.json"), analytic::Field::Bump,
                              analytic::Edit::Subdivided);
  const Result plain = runner({"sheet.json", "-o", "plain.json"}, dir);
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.out.find("  skipped: unused (in no face)        0\n"
                           "Tip: 32.2 % of the Destination's vertices were added and "
                           "interpolated; --added-vertices surface takes their morph from the "
                           "Source surface.\n"),
            std::string::npos)
      << plain.out;

  const Result surface = runner(
      {"sheet.json", "-o", "surface.json", "--added-vertices", "surface", "--pictures", "pictures"},
      dir);
  ASSERT_EQ(surface.status, 0) << surface.err;
  EXPECT_EQ(surface.out.find("Tip:"), std::string::npos);
  EXPECT_NE(surface.out.find("Added vertices, surface mode: 800 from the Source surface, 0 "
                             "harmonic from their neighbours, 0 as the plug-in made them\n"),
            std::string::npos)
      << surface.out;
  EXPECT_NE(surface.out.find(", added vertices "), std::string::npos) << surface.out;
  EXPECT_TRUE(exists(dir.file("pictures/1-elem_bump-Sheet.png")));
  EXPECT_NE(readFile(dir.file("plain.json")), readFile(dir.file("surface.json")));

  const Result json =
      runner({"sheet.json", "--dry-run", "--report", "json", "--added-vertices=surface"}, dir);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json report = nlohmann::json::parse(json.out);
  EXPECT_EQ(report["addedVertices"]["mode"], "surface");
  EXPECT_EQ(report["addedVertices"]["fromSurface"], 800);
  EXPECT_EQ(report["addedVertices"]["harmonic"], 0);
  EXPECT_EQ(report["addedVertices"]["asThePluginMadeThem"], 0);
  const Result plainJson = runner({"sheet.json", "--dry-run", "--report", "json"}, dir);
  EXPECT_NE(
      nlohmann::json::parse(plainJson.out)["addedVertices"]["suggestion"].get<std::string>().find(
          "32.2 %"),
      std::string::npos);
}
