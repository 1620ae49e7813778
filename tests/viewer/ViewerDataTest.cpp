// The viewer page's data, white-box: the scene read from a real run of the plug-in on the sample
// (only moved vertices in a morph, the report's added vertices, one shared set of unpaired faces),
// the data block read back as the page reads it, names that could end the script element or are
// not plain ASCII, and the page put together from its parts.
#include "Base64.h"
#include "MorphColours.h"
#include "MorphViewer.h"
#include "PluginUnderTest.h"
#include "SampleCharacter.h"
#include "SurfaceMode.h"
#include "TransferRun.h"
#include "dialog/DialogOptions.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>

using namespace runner;

namespace {

// A typed block of the data as the page decodes it, widened to doubles.
std::vector<double> decoded(const nlohmann::json& block) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(decodeBase64(block.at("data").get<std::string>(), bytes));
  const std::string type = block.at("type");
  std::vector<double> values;
  auto read = [&](auto zero) {
    for (size_t at = 0; at + sizeof(zero) <= bytes.size(); at += sizeof(zero)) {
      std::memcpy(&zero, bytes.data() + at, sizeof(zero));
      values.push_back(static_cast<double>(zero));
    }
  };
  if (type == "float32")
    read(0.0f);
  else if (type == "uint32")
    read(std::uint32_t{0});
  else if (type == "uint16")
    read(std::uint16_t{0});
  else if (type == "uint8")
    read(std::uint8_t{0});
  else
    ADD_FAILURE() << "block type " << type;
  return values;
}

template <typename T> std::vector<double> widened(const std::vector<T>& values) {
  return std::vector<double>(values.begin(), values.end());
}

ViewerScene smallScene() {
  ViewerScene scene;
  scene.title = "small.json";
  scene.rate = -0.5f;
  scene.source.name = "A";
  scene.source.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  scene.source.faceSizes = {4};
  scene.source.facePoints = {0, 1, 2, 3};
  scene.result = scene.source;
  scene.result.name = "B";
  ViewerMorph morph;
  morph.name = "elem:m-A";
  morph.sourceName = "elem:m-A";
  morph.source = {{2}, {0.25f, -0.5f, 1e-7f}};
  morph.result = {{1, 2}, {0, 0, 0.125f, 0.5f, 0.5f, 0.5f}};
  morph.unpairedFaces = 0;
  scene.morphs.push_back(morph);
  scene.unpairedFaceSets = {{0}};
  scene.addedVertices = {3};
  scene.facePassRan = true;
  return scene;
}

TEST(ViewerData, blocksReadBackAsTheArraysGiven) {
  const ViewerScene scene = smallScene();
  const nlohmann::json data = nlohmann::json::parse(viewerDataJson(scene));
  EXPECT_EQ(data["title"], "small.json");
  EXPECT_EQ(data["rate"], -0.5);
  EXPECT_EQ(decoded(data["source"]["positions"]), widened(scene.source.positions));
  EXPECT_EQ(decoded(data["result"]["facePoints"]), widened(scene.result.facePoints));
  const nlohmann::json& morph = data["morphs"][0];
  EXPECT_EQ(morph["name"], "elem:m-A");
  EXPECT_EQ(decoded(morph["source"]["vertices"]), std::vector<double>{2});
  EXPECT_EQ(decoded(morph["source"]["offsets"]), widened(scene.morphs[0].source.offsets));
  EXPECT_EQ(decoded(morph["result"]["offsets"]), widened(scene.morphs[0].result.offsets));
  EXPECT_EQ(morph["unpairedFaces"], 0);
  EXPECT_EQ(decoded(data["unpairedFaceSets"][0]), std::vector<double>{0});
  EXPECT_EQ(decoded(data["addedVertices"]), std::vector<double>{3});
  EXPECT_TRUE(decoded(data["rewrittenVertices"]).empty());
  // The pictures' colours, from their one place.
  EXPECT_FLOAT_EQ(data["colours"]["added"][1].get<float>(), colours::kAddedVertex.g);
  EXPECT_FLOAT_EQ(data["colours"]["most"][0].get<float>(), colours::kMost.r);
  EXPECT_FLOAT_EQ(data["colours"]["background"][2].get<float>(), colours::kBackground[2] / 255.0f);
}

TEST(ViewerData, indicesTakeTheNarrowestTypeThatHoldsThem) {
  ViewerScene scene = smallScene();
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {{255, "uint8"},
                                                                    {256, "uint16"},
                                                                    {65535, "uint16"},
                                                                    {65536, "uint32"},
                                                                    {4294967295u, "uint32"}};
  for (const auto& [largest, type] : cases) {
    scene.addedVertices = {0, largest, 7};
    const nlohmann::json data = nlohmann::json::parse(viewerDataJson(scene));
    EXPECT_EQ(data["addedVertices"]["type"], type) << largest;
    EXPECT_EQ(decoded(data["addedVertices"]), widened(scene.addedVertices)) << largest;
  }
}

TEST(ViewerData, namesThatCouldEndTheScriptStayInsideIt) {
  ViewerScene scene = smallScene();
  const std::vector<std::string> names = {"elem:</script><script>alert(1)</script>-A",
                                          "elem:<!--x-A",
                                          "elem:\"quoted\" 'and' \\-A",
                                          "elem:\xe7\xac\x91\xe9\xa1\x94 \xc3\xbc-A",
                                          "elem:line\xe2\x80\xa8sep\nnew-A",
                                          "elem:</SCRIPT >-A"};
  scene.morphs.assign(names.size(), scene.morphs[0]);
  for (size_t k = 0; k < names.size(); ++k)
    scene.morphs[k].name = names[k];
  scene.title = "</script><!--";
  const std::string json = viewerDataJson(scene);
  EXPECT_EQ(json.find('<'), std::string::npos);
  const nlohmann::json data = nlohmann::json::parse(json);
  for (size_t k = 0; k < names.size(); ++k)
    EXPECT_EQ(data["morphs"][k]["name"], names[k]);
  EXPECT_EQ(data["title"], "</script><!--");
}

TEST(ViewerData, invalidUtf8InANameIsReplacedNotRefused) {
  ViewerScene scene = smallScene();
  scene.morphs[0].name = "elem:bad\xff\xfe-A";
  const nlohmann::json data = nlohmann::json::parse(viewerDataJson(scene));
  EXPECT_EQ(data["morphs"][0]["name"], "elem:bad\xef\xbf\xbd\xef\xbf\xbd-A");
}

TEST(ViewerPage, holdsEachPartOnceInItsOwnScriptElement) {
  ViewerScene scene = smallScene();
  scene.morphs[0].name = "elem:</script>-A";
  const std::string page = viewerPage(scene);
  for (const char* placeholder : {"@THREE_JS@", "@ORBIT_CONTROLS@", "@DATA@", "@VIEWER_JS@"})
    EXPECT_EQ(page.find(placeholder), std::string::npos) << placeholder;
  // Four script elements, each closed once: nothing inside one closes it early.
  size_t opened = 0, closed = 0;
  for (size_t at = page.find("<script"); at != std::string::npos; at = page.find("<script", at + 1))
    ++opened;
  for (size_t at = page.find("</script"); at != std::string::npos;
       at = page.find("</script", at + 1))
    ++closed;
  EXPECT_EQ(opened, 4u);
  EXPECT_EQ(closed, 4u);
  const std::string open = "<script type=\"application/json\" id=\"data\">";
  const size_t start = page.find(open) + open.size();
  const std::string block = page.substr(start, page.find("</script>", start) - start);
  EXPECT_EQ(block, viewerDataJson(scene));
  EXPECT_NE(page.find("REVISION=\"111\""), std::string::npos) << "three.js r111 built in";
  EXPECT_NE(page.find("OrbitControls"), std::string::npos);
  EXPECT_NE(page.find("The above copyright notice and this permission notice"), std::string::npos);
}

class ViewerSceneTest : public ::testing::Test {
protected:
  ViewerSceneTest() : plugin_(testing_support::pluginFile()) {}
  void SetUp() override {
    ASSERT_TRUE(plugin_.start(sim::moduleFileName())) << plugin_.error();
    buildSampleDocument(document_, SampleOptions{});
  }
  void run(const TransferRequest& request = {}) {
    runTransfer(plugin_, document_, request, outcome_);
  }

  PluginModule plugin_;
  sim::Host host;
  sim::Document& document_ = host.newDocument();
  TransferOutcome outcome_;
};

TEST_F(ViewerSceneTest, morphsHoldOnlyTheVerticesTheyMoveAndAddUpToTheElements) {
  run();
  const ViewerScene scene = viewerSceneOf(outcome_, "character");
  ASSERT_EQ(scene.morphs.size(), outcome_.elements.size());
  EXPECT_EQ(scene.source.positions.size(), outcome_.source->positions.size() * 3);
  EXPECT_EQ(scene.result.faceSizes.size(), static_cast<size_t>(outcome_.destination->faceCount()));
  EXPECT_EQ(scene.source.name, "Body");
  EXPECT_EQ(scene.result.name, "BodyEdited");
  for (size_t k = 0; k < scene.morphs.size(); ++k) {
    const ViewerMorph& m = scene.morphs[k];
    const ElementOutcome& e = outcome_.elements[k];
    EXPECT_EQ(m.name, e.newName);
    EXPECT_EQ(m.result.vertices.size(), static_cast<size_t>(e.motion.moved)) << m.name;
    ASSERT_EQ(m.result.offsets.size(), m.result.vertices.size() * 3);
    for (size_t i = 0; i < m.result.vertices.size(); ++i) {
      const MQPoint& moved = e.newElement->positions[m.result.vertices[i]];
      const MQPoint& base = outcome_.destination->positions[m.result.vertices[i]];
      EXPECT_FLOAT_EQ(base.x + m.result.offsets[3 * i], moved.x);
      EXPECT_FLOAT_EQ(base.y + m.result.offsets[3 * i + 1], moved.y);
      EXPECT_FLOAT_EQ(base.z + m.result.offsets[3 * i + 2], moved.z);
    }
    EXPECT_GT(m.source.vertices.size(), 0u) << m.name;
    EXPECT_LT(m.source.vertices.size(), outcome_.source->positions.size()) << m.name;
  }
}

TEST_F(ViewerSceneTest, marksTheReportsAddedVerticesAndSharesTheUnpairedFaces) {
  run();
  const ViewerScene scene = viewerSceneOf(outcome_, "character");
  const VertexTally& tally = outcome_.correspondence.tally;
  EXPECT_EQ(scene.addedVertices.size(),
            static_cast<size_t>(tally.interpolated + tally.addedLeftAlone));
  EXPECT_TRUE(scene.rewrittenVertices.empty());
  for (std::uint32_t v : scene.addedVertices)
    EXPECT_EQ(outcome_.correspondence.fate[v], VertexFate::Interpolated);
  // Every element leaves the same faces unpaired: one set, as many as the report counts.
  ASSERT_EQ(scene.unpairedFaceSets.size(), 1u);
  EXPECT_EQ(scene.unpairedFaceSets[0].size(),
            static_cast<size_t>(outcome_.elements[0].faces.unpaired));
  for (const ViewerMorph& m : scene.morphs)
    EXPECT_EQ(m.unpairedFaces, 0);
}

TEST_F(ViewerSceneTest, surfaceModeMarksTheVerticesItRewrote) {
  run();
  applySurfaceMode(document_, outcome_);
  const ViewerScene scene = viewerSceneOf(outcome_, "character");
  EXPECT_GT(scene.rewrittenVertices.size(), 0u);
  EXPECT_EQ(scene.addedVertices.size() + scene.rewrittenVertices.size(),
            static_cast<size_t>(outcome_.correspondence.tally.interpolated));
  for (std::uint32_t v : scene.rewrittenVertices)
    EXPECT_TRUE(outcome_.addedVertices.changed[v]);
}

TEST_F(ViewerSceneTest, noFaceSetsWhenTheRunCopiedNoFaceAttributes) {
  TransferRequest request;
  for (auto field :
       {&TransferSettings::copyMaterials, &TransferSettings::copyUvs, &TransferSettings::copyEdges})
    request.dialog.options[dialog::optionIndex(field)] = false;
  run(request);
  const ViewerScene scene = viewerSceneOf(outcome_, "character");
  EXPECT_FALSE(scene.facePassRan);
  EXPECT_TRUE(scene.unpairedFaceSets.empty());
  for (const ViewerMorph& m : scene.morphs)
    EXPECT_EQ(m.unpairedFaces, -1);
}

} // namespace
