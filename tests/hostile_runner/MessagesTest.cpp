// Messages and exit statuses for odd inputs: a folder as the document, a name several list items
// bear, a Rate the plug-in cannot hold, empty file names, names that would work the terminal,
// the list-filter hint only where it helps; and non-ASCII names whatever locale the shell has.
#include "HostileSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

using namespace hostile;
using runner_test::readFile;
using runner_test::ScratchFolder;
using runner_test::writeFile;

namespace {

const char kQuad[] = R"("faces": {"points": [[0,1,2,3]]})";

std::string object(const std::string& nameJson, const char* z, bool selected = false,
                   int vertices = 4) {
  std::string positions = std::string("[0,0,") + z + "],[1,0,0],[1,1,0]";
  if (vertices == 4)
    positions += ",[0,1,0]";
  return "{\"name\": " + nameJson + (selected ? ", \"selected\": true" : "") +
         ", \"vertices\": {\"positions\": [" + positions + "]}, " +
         (vertices == 4 ? kQuad : R"("faces": {"points": [[0,1,2]]})") + "}";
}

// Source "A", the given elements and others, then Destination "B".
std::string documentWith(const std::vector<std::string>& middle) {
  std::string text = R"({"format": "tovalinder-document", "version": 1, "objects": [)" +
                     object("\"A\"", "0", true);
  for (const std::string& o : middle)
    text += "," + o;
  return text + "," + object("\"B\"", "0", true) + "]}";
}

Outcome runIn(const ScratchFolder& dir, const std::string& document,
              std::vector<std::string> args) {
  writeFile(dir.file("in.json"), document);
  args.insert(args.begin(), "in.json");
  return runRunner(dir, args);
}

bool hasRawControls(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\n') || c == 0x7F ||
        (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0))
      return true;
    if (text.compare(i, 3, "\xE2\x80\xAE") == 0) // U+202E, right-to-left override
      return true;
  }
  return false;
}

} // namespace

TEST(HostileRunner, OddCommandLinesAndDocumentsGetTheirOwnStatusAndMessage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"folder"}, 3, "folder: cannot open the file: is a folder, not a file"},
      {{"in.json", "--rate", "1e41"}, 2, "--rate \"1e41\": the Rate field cannot carry it"},
      {{"in.json", "--rate", "-4e40"}, 2, "the Rate field cannot carry it"},
      {{"in.json", "--pictures", ""}, 2, "--pictures needs a folder name"},
      {{"in.json", "--pictures="}, 2, "--pictures needs a folder name"},
      {{"in.json", "--show-dialog", ""}, 2, "--show-dialog needs a file name"},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    writeFile(dir.file("in.json"), documentWith({object("\"elem:m-A\"", "0.5")}));
    std::filesystem::create_directory(dir.file("folder"));
    const Snapshot before = snapshot(dir);
    const Outcome r = runRunner(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.message << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
  }
  // The largest Rate the field carries still runs.
  ScratchFolder dir;
  EXPECT_EQ(
      runIn(dir, documentWith({object("\"elem:m-A\"", "0.5")}), {"--rate", "3e40", "--dry-run"})
          .status,
      0);
}

TEST(HostileRunner, ANameSeveralListItemsBearPicksEachOfThem) {
  ScratchFolder dir;
  const Outcome r =
      runIn(dir,
            documentWith({object("\"elem:m-A\"", "0.5"), object("\"elem:n-A\"", "0.75"),
                          object("\"elem:m-A\"", "0.25")}),
            {"--element", "elem:m-A", "--report", "json", "--dry-run"});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["dialog"]["picked"], nlohmann::json::array({"elem:m-A", "elem:m-A"}));
  ASSERT_EQ(report["elements"].size(), 2u);
  EXPECT_EQ(report["elements"][0]["largestOffset"], 0.5);
  EXPECT_EQ(report["elements"][1]["largestOffset"], 0.25);
}

TEST(HostileRunner, NamesThatWouldWorkTheTerminalAreShownEscaped) {
  ScratchFolder dir;
  const std::string document =
      documentWith({object(R"("elem:\u001b[2J\u0007\u009b\u202eevil-A")", "0.5")});
  writeFile(dir.file("in\x1b]0;title\x07.json"), document);
  const Outcome r = runRunner(dir, {"in\x1b]0;title\x07.json", "--dry-run"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(hasRawControls(r.out)) << r.out;
  EXPECT_NE(r.out.find("\"elem:\\x1b[2J\\x07\\u009b\\u202eevil-A\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("in\\x1b]0;title\\x07.json"), std::string::npos) << r.out;
  const Outcome bad = runIn(dir, document, {"--element", "elem:\x1b[31mnone"});
  EXPECT_EQ(bad.status, 3);
  EXPECT_FALSE(hasRawControls(bad.err)) << bad.err;
  EXPECT_NE(bad.err.find("\\x1b[31mnone"), std::string::npos) << bad.err;
}

TEST(HostileRunner, TheListFilterHintComesOnlyWhereAFilterHidesTheName) {
  ScratchFolder dir;
  const std::string document =
      documentWith({object("\"elem:m-A\"", "0.5"), object("\"elem:tri-A\"", "0.5", false, 3),
                    object("\"Other\"", "0.5"), object("\"other3\"", "0.5", false, 3)});
  struct Case {
    std::string name, hint, flags;
  };
  const std::vector<Case> cases = {
      {"elem:nowhere-A", "", ""},
      {"B", "\"B\" is the Destination, which the list never shows", ""},
      {"elem:tri-A", "it has 3 vertices, the Source 4; --no-same-vertex-count-only shows it",
       "--no-same-vertex-count-only"},
      {"Other", "its name is not elem:<morph>-A; --no-elements-only shows it",
       "--no-elements-only"},
      {"other3", "--no-same-vertex-count-only and --no-elements-only show it",
       "--no-same-vertex-count-only --no-elements-only"},
  };
  for (const Case& c : cases) {
    const Outcome r = runIn(dir, document, {"--element", c.name, "--dry-run"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("the dialog does not list \"" + c.name + "\""), std::string::npos);
    if (c.hint.empty()) {
      EXPECT_EQ(r.err.find("--no-"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("never shows"), std::string::npos) << r.err;
    } else {
      EXPECT_NE(r.err.find(c.hint), std::string::npos) << r.err;
    }
    if (c.flags.empty())
      continue;
    // The hint is right: with its flags the item is listed and picked.
    std::vector<std::string> args = {"--element", c.name, "--dry-run"};
    for (size_t at = 0, next; at < c.flags.size(); at = next + 1) {
      next = std::min(c.flags.find(' ', at), c.flags.size());
      args.push_back(c.flags.substr(at, next - at));
    }
    EXPECT_EQ(runIn(dir, document, args).status, 0) << c.flags;
  }
}

TEST(HostileRunner, DocumentMessagesCountVerticesInPlainEnglish) {
  ScratchFolder dir;
  const std::string head = R"({"format": "tovalinder-document", "version": 1, "objects": [)";
  const Outcome weights = runIn(dir, head + R"({"name": "A", "vertices": {"positions":
      [[0,0,0],[1,0,0],[1,1,0]], "weights": [1, 1]}}]})",
                                {});
  EXPECT_EQ(weights.status, 3);
  EXPECT_NE(weights.err.find("has 2 entries for 3 vertices"), std::string::npos) << weights.err;
  const Outcome selected = runIn(dir, head + R"({"name": "A", "vertices": {"positions":
      [[0,0,0],[1,0,0]], "selected": [5]}}]})",
                                 {});
  EXPECT_EQ(selected.status, 3);
  EXPECT_NE(selected.err.find("vertex 5 does not exist: the object has 2 vertices"),
            std::string::npos)
      << selected.err;
}

TEST(HostileRunner, NonAsciiNamesWorkWhateverLocaleTheShellHas) {
  using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;
  const std::vector<Environment> shells = {
      {{"LC_ALL", "C"}},
      {{"LC_ALL", std::nullopt}, {"LC_CTYPE", std::nullopt}, {"LANG", std::nullopt}},
      {{"LC_ALL", "POSIX"}, {"LANG", "C.UTF-8"}},
      {{"LC_ALL", std::nullopt}, {"LC_CTYPE", "C"}, {"LANG", "C.UTF-8"}},
      {{"LC_ALL", "C.UTF-8"}},
  };
  for (const Environment& shell : shells) {
    ScratchFolder dir;
    writeFile(dir.file("in.json"), documentWith({object("\"elem:笑顔-A\"", "0.5"),
                                                 object("\"elem:まばたき-A\"", "0.25")}));
    Launch launch;
    launch.args = {"in.json", "--element", "elem:笑顔-A",   "--report",   "json",
                   "-o",      "out.json",  "--show-dialog", "dialog.html"};
    launch.environment = shell;
    const Outcome r = runRunner(dir, launch);
    ASSERT_EQ(r.status, 0) << shell.front().first << "\n" << r.err;
    const nlohmann::json report = nlohmann::json::parse(r.out);
    EXPECT_EQ(report["dialog"]["listed"],
              nlohmann::json::array({"elem:笑顔-A", "elem:まばたき-A"}));
    EXPECT_EQ(report["elements"][0]["name"], "elem:笑顔-A");
    EXPECT_NE(readFile(dir.file("dialog.html")).find("elem:まばたき-A"), std::string::npos);
    EXPECT_NE(readFile(dir.file("out.json")).find("\"#elem:笑顔-A\""), std::string::npos);
  }
}
