// The viewer page in a real browser: the runner program writes the page of a run on the sample in
// each input format (document, glTF, OBJ set) and of a document whose names hold markup, quotes
// and UTF-8; headless Chromium opens them all in one start (visit-pages.js) with the state in the
// address fragment and takes screenshots. The pages must draw the meshes, show the morph where it
// moves and nowhere else, log no script error and make no request.
#include "MorphColours.h"
#include "ProgramRun.h"
#include "RunnerTestSupport.h"
#include "ScreenshotChecks.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

using namespace runner_test;
using viewer_test::Box;
using viewer_test::Image;

namespace {

const char kBrowser[] = "/usr/bin/chromium";
// The sample's smile moves the mouth and cheeks only.
const char kSmile[] = "elem:smile-Body";
// A name a page could trip over: markup that would end its script element, quotes, a backslash,
// the fragment's own separators and characters beyond ASCII.
const char kMarkupName[] =
    "elem:</script><script>alert(1)</script>\"'\\ \xc3\xbc\xe7\xac\x91 &=#%+?-Body";

// Every byte but the unreserved ones percent-encoded, as a link to the page would carry it.
std::string fragmentText(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == ':')
      out += static_cast<char>(c);
    else
      out += std::string("%") + hex[c >> 4] + hex[c & 15];
  }
  return out;
}

std::string percentDecoded(const std::string& text) {
  std::string out;
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '%' && k + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(k + 1, 2), nullptr, 16));
      k += 2;
    } else {
      out += text[k];
    }
  }
  return out;
}

std::string fileUrl(const std::string& path) {
  return "file://" + std::filesystem::absolute(path).string();
}

class ViewerBrowserTest : public ::testing::Test {
protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite() {
    visits_.clear();
    folder_.reset();
  }
  void SetUp() override {
    if (!problem_.empty())
      FAIL() << problem_;
    if (!skipped_.empty()) {
      if (std::getenv("CI"))
        FAIL() << skipped_;
      GTEST_SKIP() << skipped_;
    }
  }

  static const nlohmann::json& visit(const std::string& name) { return visits_.at(name); }
  static Image screenshot(const std::string& name) {
    Image image;
    EXPECT_TRUE(image.read(folder_->file(name + ".png"))) << name;
    return image;
  }
  // The two halves of the page's canvas, below the captions and off the divider.
  static std::vector<Box> halves(const nlohmann::json& visit) {
    const int x = visit["canvas"][0], y = visit["canvas"][1];
    const int width = visit["canvas"][2], height = visit["canvas"][3];
    const int half = width / 2, captions = 50, divider = 3;
    return {Box{x, y + captions, x + half - divider, y + height, 0},
            Box{x + half + divider, y + captions, x + width, y + height, 0}};
  }

  static std::unique_ptr<ScratchFolder> folder_;
  static std::map<std::string, nlohmann::json> visits_;
  static std::string problem_, skipped_;
};

std::unique_ptr<ScratchFolder> ViewerBrowserTest::folder_;
std::map<std::string, nlohmann::json> ViewerBrowserTest::visits_;
std::string ViewerBrowserTest::problem_, ViewerBrowserTest::skipped_;

// Writes the pages: the runner's outcome of each run is checked here, the pages by the tests.
std::string writePages(const ScratchFolder& dir) {
  const std::string runner = TOVALINDER_RUNNER_FILE, sample = TOVALINDER_SAMPLE_TOOL_FILE;
  nlohmann::json document = nlohmann::json::parse(readFile(samplePath()));
  for (nlohmann::json& object : document["objects"])
    if (object["name"] == kSmile)
      object["name"] = kMarkupName;
  writeFile(dir.file("a<!--b<script>.json"), document.dump());
  const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
      {sample, {"gltf-src.glb", "gltf-dst.glb"}},
      {sample, {"--obj", "obj-set"}},
      {runner, {samplePath(), "-o", "out.json", "--viewer", "document.html"}},
      {runner, {"gltf-src.glb", "gltf-dst.glb", "-o", "out.glb", "--viewer", "gltf.html"}},
      {runner,
       {"--source", "obj-set/Body.obj", "--morph", "obj-set/shapes/*.obj", "--destination",
        "obj-set/BodyEdited.obj", "--output-dir", "obj-out", "--viewer", "obj.html"}},
      {runner, {"a<!--b<script>.json", "-o", "markup-out.json", "--viewer", "markup.html"}}};
  for (const auto& [program, args] : runs) {
    const Result r = runProgram(program, args, dir);
    if (r.status != 0)
      return program + " " + args.back() + ": status " + std::to_string(r.status) + "\n" + r.err;
  }
  return "";
}

nlohmann::json visitsJob(const ScratchFolder& dir) {
  nlohmann::json visits = nlohmann::json::array();
  auto add = [&](const std::string& name, const std::string& page, const std::string& fragment) {
    visits.push_back({{"name", name},
                      {"url", fileUrl(dir.file(page)) + "#" + fragment},
                      {"screenshot", dir.file(name + ".png")}});
  };
  for (const char* format : {"document", "gltf", "obj"})
    for (const char* weight : {"0", "1"})
      add(std::string(format) + "-" + weight, std::string(format) + ".html",
          // the glTF page is asked for the morph by its morph name alone
          std::string("element=") + (format == std::string("gltf") ? "smile" : kSmile) +
              "&weight=" + weight);
  add("side", "document.html", std::string("element=") + kSmile + "&weight=1&view=side");
  add("markup", "markup.html", "element=" + fragmentText(kMarkupName) + "&weight=1");
  visits.back()["slider"] = {{"index", 0}, {"value", "0.25"}, {"hashHas", "weight=0.25"}};
  return {{"browser", kBrowser}, {"width", 1100}, {"height", 640}, {"visits", visits}};
}

void ViewerBrowserTest::SetUpTestSuite() {
  const std::string playwright = TOVALINDER_PLAYWRIGHT_DIR;
  if (!std::filesystem::exists(kBrowser) ||
      !std::filesystem::exists(playwright + "/package.json") ||
      std::system("node --version >/dev/null 2>&1") != 0) {
    skipped_ = "the browser test needs node, Debian's chromium (scripts/install-deps.sh --tests) "
               "and playwright-core (scripts/install-browser-test.sh)";
    return;
  }
  folder_ = std::make_unique<ScratchFolder>();
  problem_ = writePages(*folder_);
  if (!problem_.empty())
    return;
  const nlohmann::json job = visitsJob(*folder_);
  writeFile(folder_->file("job.json"), job.dump());
  const Result r = runProgram("node",
                              {TOVALINDER_VISIT_SCRIPT, playwright, folder_->file("job.json"),
                               folder_->file("result.json")},
                              *folder_);
  if (r.status != 0) {
    problem_ = "the browser run failed (status " + std::to_string(r.status) + "): " + r.out + r.err;
    return;
  }
  const nlohmann::json result = nlohmann::json::parse(readFile(folder_->file("result.json")));
  for (size_t k = 0; k < job["visits"].size(); ++k)
    visits_[job["visits"][k]["name"]] = result["visits"][k];
  std::printf("browser: %zu visits in %.1f s\n", visits_.size(), result["seconds"].get<double>());
}

TEST_F(ViewerBrowserTest, pagesLogNoScriptErrorAndMakeNoRequest) {
  for (const auto& [name, v] : visits_) {
    EXPECT_EQ(v["errors"], nlohmann::json::array()) << name;
    EXPECT_EQ(v["requests"], nlohmann::json::array()) << name;
  }
}

// Weight 0 against weight 1 of the smile: in each half the mesh is drawn, something changes,
// all of it in the upper third of the figure (the face), the lower half stays as it was, and the
// Source and the result change in the same place.
void expectMorphWhereItMoves(const std::string& format, const Image& still, const Image& moved,
                             const std::vector<Box>& halves) {
  std::vector<Box> changes;
  for (const Box& half : halves) {
    const Box figure = viewer_test::drawn(still, half, runner::colours::kBackground);
    EXPECT_GT(figure.count, half.width() * half.height() / 50) << format << ": mesh not drawn";
    const Box change = viewer_test::differing(still, moved, half);
    EXPECT_GT(change.count, 30) << format << ": the morph shows no change";
    EXPECT_LT(change.bottom, figure.top + figure.height() * 35 / 100) << format;
    const Box lower{figure.left, figure.top + figure.height() / 2, figure.right, figure.bottom, 0};
    EXPECT_EQ(viewer_test::differing(still, moved, lower).count, 0) << format;
    changes.push_back(change);
    changes.back().left -= half.left, changes.back().right -= half.left;
  }
  EXPECT_NEAR(changes[0].centreX(), changes[1].centreX(), halves[0].width() * 0.05) << format;
}

TEST_F(ViewerBrowserTest, documentRunShowsTheMorphWhereItMoves) {
  expectMorphWhereItMoves("document", screenshot("document-0"), screenshot("document-1"),
                          halves(visit("document-0")));
}

TEST_F(ViewerBrowserTest, gltfRunShowsTheMorphWhereItMoves) {
  expectMorphWhereItMoves("glTF", screenshot("gltf-0"), screenshot("gltf-1"),
                          halves(visit("gltf-0")));
}

TEST_F(ViewerBrowserTest, objRunShowsTheMorphWhereItMoves) {
  expectMorphWhereItMoves("OBJ", screenshot("obj-0"), screenshot("obj-1"), halves(visit("obj-0")));
}

TEST_F(ViewerBrowserTest, sideViewTurnsBothCameras) {
  const Image front = screenshot("document-1"), side = screenshot("side");
  const std::vector<Box> parts = halves(visit("side"));
  for (const Box& half : parts) {
    const Box fromFront = viewer_test::drawn(front, half, runner::colours::kBackground);
    const Box fromSide = viewer_test::drawn(side, half, runner::colours::kBackground);
    // Seen from the side the outstretched arms point at the viewer: the figure is narrow.
    EXPECT_LT(fromSide.width(), fromFront.width() * 6 / 10);
    EXPECT_NEAR(fromSide.height(), fromFront.height(), fromFront.height() * 0.1);
  }
  EXPECT_EQ(visit("side")["hash"], std::string("#element=") + kSmile + "&weight=1&view=side");
}

TEST_F(ViewerBrowserTest, namesWithMarkupQuotesAndUtf8ShowAsTheyAre) {
  const nlohmann::json& v = visit("markup");
  ASSERT_FALSE(v["names"].empty());
  EXPECT_EQ(v["names"][0], kMarkupName);
  EXPECT_EQ(v["title"], "a<!--b<script>.json \xe2\x80\x94 Tovalinder viewer");
  // The slider moved the state into the fragment, the name encoded so that it reads back.
  const std::string hash = v["hash"];
  EXPECT_NE(hash.find("weight=0.25"), std::string::npos) << hash;
  EXPECT_EQ(hash.find('<'), std::string::npos) << hash;
  const size_t from = hash.find("element=") + 8;
  EXPECT_EQ(percentDecoded(hash.substr(from, hash.find('&', from) - from)), kMarkupName) << hash;
}

} // namespace
