// Transfers on documents through the real plug-in binary, in the simulated host, the way the
// runner does them: the sample's results against expectations checked by looking at the
// pictures, exact offsets on matched vertices, and the bad-input cases that must leave the
// document as it was.
#include "TransferRun.h"
#include "DocumentFile.h"
#include "PluginUnderTest.h"
#include "RunnerTestSupport.h"
#include "SampleCharacter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <fstream>
#include <functional>
#include <optional>

using namespace runner;
using namespace runner_test;

namespace {

struct RunState {
  sim::Host host;
  sim::Document& document = host.newDocument();
  TransferOutcome outcome;
  std::string before;
};

class TransferRunTest : public ::testing::Test {
protected:
  TransferRunTest() : plugin_(testing_support::pluginFile()) {}
  void SetUp() override { ASSERT_TRUE(plugin_.start(sim::moduleFileName())) << plugin_.error(); }

  // Runs on a document file (the generated sample character when the path is empty); the
  // error code when the run stops (0 when it completes).
  int run(RunState& r, const std::string& path, const TransferRequest& request,
          std::string* message = nullptr) {
    if (path.empty())
      buildSampleDocument(r.document, SampleOptions{});
    else
      readDocument(path, r.document);
    r.before = sim::describe(r.document);
    try {
      runTransfer(plugin_, r.document, request, r.outcome);
    } catch (const RunError& e) {
      if (message)
        *message = e.what();
      return e.code;
    }
    EXPECT_TRUE(r.outcome.hostMisuses.empty()) << r.outcome.hostMisuses.front();
    return 0;
  }

  PluginModule plugin_;
};

nlohmann::json expectations() {
  std::ifstream in(expectedPath("character-transfers.json"));
  return nlohmann::json::parse(in);
}

void expectOutcome(const RunState& r, const nlohmann::json& e) {
  const VertexTally& v = r.outcome.correspondence.tally;
  EXPECT_EQ(v.matched, e["matched"]);
  EXPECT_EQ(v.interpolated, e["interpolated"]);
  EXPECT_EQ(v.addedLeftAlone, e["addedLeftAlone"]);
  EXPECT_EQ(v.notSelected, e["notSelected"]);
  EXPECT_EQ(v.unused, e["unused"]);
  EXPECT_EQ(r.outcome.sourceNameAfter, e["sourceNameAfter"]);
  EXPECT_EQ(r.outcome.destinationNameAfter, e["destinationNameAfter"]);
  EXPECT_EQ(nlohmann::json(r.outcome.hostMessages), e["hostMessages"]);
  ASSERT_EQ(r.outcome.elements.size(), e["elements"].size());
  for (size_t k = 0; k < r.outcome.elements.size(); ++k) {
    const ElementOutcome& got = r.outcome.elements[k];
    const nlohmann::json& want = e["elements"][k];
    EXPECT_EQ(got.picked, want["from"]);
    EXPECT_EQ(got.newName, want["name"]);
    EXPECT_EQ(got.oldNameAfter, want["oldNameAfter"]);
    EXPECT_EQ(got.motion.moved, want["movedVertices"]) << got.newName;
    EXPECT_EQ(got.faces.unpaired, want["notPaired"]) << got.newName;
  }
  EXPECT_EQ(digest(r.document), e["digest"]);
}

// Every matched vertex of every new element sits at the Destination position moved by the
// Source element's offset at its Source vertex, to the last bit (rate 1, no mirror).
void expectExactOffsets(const RunState& r) {
  const sim::Object& source = *r.outcome.source;
  const sim::Object& destination = *r.outcome.destination;
  for (const ElementOutcome& e : r.outcome.elements) {
    int checked = 0;
    for (int v = 0; v < destination.vertexCount(); ++v) {
      if (r.outcome.correspondence.fate[static_cast<size_t>(v)] != VertexFate::Matched)
        continue;
      const int f = r.outcome.correspondence.sourceVertex[static_cast<size_t>(v)];
      const MQPoint s = source.positions[static_cast<size_t>(f)];
      const MQPoint m = e.oldElement->positions[static_cast<size_t>(f)];
      const MQPoint d = destination.positions[static_cast<size_t>(v)];
      const MQPoint expected{d.x + 1.0f * (m.x - s.x), d.y + 1.0f * (m.y - s.y),
                             d.z + 1.0f * (m.z - s.z)};
      const MQPoint got = e.newElement->positions[static_cast<size_t>(v)];
      ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << e.newName << " vertex " << v;
      EXPECT_EQ(e.newElement->weights[static_cast<size_t>(v)],
                e.oldElement->weights[static_cast<size_t>(f)]);
      ++checked;
    }
    EXPECT_GT(checked, 2000);
  }
}

} // namespace

TEST_F(TransferRunTest, TheSampleWithTheDialogsDefaults) {
  RunState r;
  ASSERT_EQ(run(r, samplePath(), TransferRequest{}), 0);
  expectOutcome(r, expectations()["defaults"]);
  expectExactOffsets(r);
  EXPECT_EQ(r.outcome.view.sourceName, "Body");
  EXPECT_EQ(r.outcome.view.destinationName, "BodyEdited");
  EXPECT_EQ(r.outcome.view.rateText, "100");
  EXPECT_EQ(r.outcome.rate, 1.0f);
}

TEST_F(TransferRunTest, MirroredByPositionTheLeftSneerLandsOnTheRight) {
  TransferRequest request;
  request.dialog.options[dialog::optionIndex(&TransferSettings::useUniqueIds)] = false;
  request.dialog.options[dialog::optionIndex(&TransferSettings::mirrorMorph)] = true;
  request.dialog.options[dialog::optionIndex(&TransferSettings::createBackupElements)] = false;
  request.dialog.pickElements = true;
  request.dialog.elements = {"elem:sneerL-Body"};
  request.dialog.rateText = "50";
  RunState r;
  ASSERT_EQ(run(r, samplePath(), request), 0);
  expectOutcome(r, expectations()["mirroredSneer"]);
  EXPECT_EQ(r.outcome.rate, 0.5f);
  ASSERT_EQ(r.outcome.elements.size(), 1u);
  EXPECT_TRUE(r.outcome.elements[0].oldRemoved);
  // The Source morph raises the left side (x > 0); the mirrored one only the right side.
  const sim::Object& destination = *r.outcome.destination;
  const sim::Object& made = *r.outcome.elements[0].newElement;
  int movedRight = 0;
  for (int v = 0; v < destination.vertexCount(); ++v) {
    const MQPoint d = destination.positions[static_cast<size_t>(v)];
    const MQPoint m = made.positions[static_cast<size_t>(v)];
    if (std::memcmp(&d, &m, sizeof d) == 0)
      continue;
    EXPECT_LT(d.x, 0.001f) << "vertex " << v;
    movedRight += d.x < 0;
  }
  EXPECT_GT(movedRight, 20);
}

TEST_F(TransferRunTest, OnlySelectedVerticesAndNewNames) {
  TransferRequest request;
  request.dialog.options[dialog::optionIndex(&TransferSettings::selectedVerticesOnly)] = true;
  request.dialog.options[dialog::optionIndex(&TransferSettings::renameNewElements)] = true;
  request.dialog.options[dialog::optionIndex(&TransferSettings::keepObjectNames)] = true;
  RunState r;
  ASSERT_EQ(run(r, samplePath(), request), 0);
  const sim::Object& destination = *r.outcome.destination;
  EXPECT_EQ(r.outcome.correspondence.tally.notSelected,
            destination.vertexCount() - static_cast<int>(destination.selectedVertices.size()));
  EXPECT_EQ(r.outcome.destinationNameAfter, "BodyEdited");
  ASSERT_EQ(r.outcome.elements.size(), 5u);
  EXPECT_EQ(r.outcome.elements[0].newName, "elem:smilenew1-Body");
  EXPECT_EQ(r.outcome.elements[0].oldNameAfter, "elem:smile-Body");
  for (const ElementOutcome& e : r.outcome.elements)
    for (int v = 0; v < destination.vertexCount(); ++v)
      if (!destination.selectedVertices.count(v)) {
        const MQPoint d = destination.positions[static_cast<size_t>(v)];
        const MQPoint m = e.newElement->positions[static_cast<size_t>(v)];
        ASSERT_EQ(std::memcmp(&d, &m, sizeof d), 0) << e.newName << " moved unselected " << v;
      }
  // Unselected faces are not copied and not counted.
  EXPECT_EQ(r.outcome.elements[0].faces.considered,
            static_cast<int>(destination.selectedFaces.size()));
}

TEST_F(TransferRunTest, RefusedRunsLeaveTheDocumentAsItWas) {
  struct Case {
    std::function<void(TransferRequest&)> ask;
    int code;
    std::string message;
  };
  const Case cases[] = {
      {[](TransferRequest& q) { q.dialog.cancel = true; }, kExitCancelled, "cancelled"},
      {[](TransferRequest& q) {
         q.dialog.pickElements = true;
         q.dialog.elements = {"elem:smile-Body", "elem:frown-Body"};
       },
       kExitBadInput, "the dialog does not list \"elem:frown-Body\"; it lists \"elem:smile-Body\""},
      {[](TransferRequest& q) { q.sourceName = "Head"; }, kExitBadInput,
       "no object is named \"Head\" (Source); the document holds \"Body\""},
      {[](TransferRequest& q) {
         q.sourceName = "BodyEdited";
         q.destinationName = "Body";
       },
       kExitBadInput, "\"Body\" (slot 0) comes before \"BodyEdited\""},
      {[](TransferRequest& q) { q.destinationName = "Body"; }, kExitUsage,
       "--destination needs --source"},
      {[](TransferRequest& q) { q.dialog.rateText = "12abc"; }, kExitUsage,
       "--rate \"12abc\": the Rate field takes a number"},
  };
  for (const Case& c : cases) {
    TransferRequest request;
    c.ask(request);
    RunState r;
    std::string message;
    EXPECT_EQ(run(r, "", request, &message), c.code) << c.message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    EXPECT_EQ(sim::describe(r.document), r.before) << c.message;
  }
}

TEST_F(TransferRunTest, NamesThatAreAmbiguousOrNothingSelected) {
  ScratchFolder dir;
  writeFile(dir.file("twice.json"), R"({"format": "tovalinder-document", "version": 1,
    "objects": [{"name": "A"}, {"name": "A"}, {"name": "B"}]})");
  TransferRequest byName;
  byName.sourceName = "A";
  RunState r1;
  std::string message;
  EXPECT_EQ(run(r1, dir.file("twice.json"), byName, &message), kExitBadInput);
  EXPECT_NE(message.find("2 objects are named \"A\" (slots 0, 1)"), std::string::npos) << message;
  RunState r2;
  EXPECT_EQ(run(r2, dir.file("twice.json"), TransferRequest{}, &message), kExitBadInput);
  EXPECT_NE(message.find("no object is selected"), std::string::npos) << message;
  EXPECT_EQ(sim::describe(r2.document), r2.before);
}

TEST_F(TransferRunTest, ListFiltersChangeWhatCanBePicked) {
  // Beside the five elements: a copy of Body that is no element, and an element of another
  // object with another vertex count.
  auto listed = [&](std::optional<bool> elementsOnly, std::optional<bool> sameCount) {
    RunState r;
    buildSampleDocument(r.document, SampleOptions{});
    sim::Object* copy = r.document.addObject("BodyCopy");
    const sim::Object* body = r.document.findObject("Body");
    copy->positions = body->positions;
    copy->vertexIds = body->vertexIds;
    copy->weights = body->weights;
    sim::Object* other = r.document.addObject("elem:smile-Body");
    other->addVertex(0, 0, 0);
    TransferRequest request;
    request.dialog.options[dialog::optionIndexForKey('E')] = elementsOnly;
    request.dialog.options[dialog::optionIndexForKey('V')] = sameCount;
    request.dialog.cancel = true;
    EXPECT_THROW(runTransfer(plugin_, r.document, request, r.outcome), RunError);
    return r.outcome.view.listed.size();
  };
  EXPECT_EQ(listed({}, {}), 5u);
  EXPECT_EQ(listed(false, {}), 6u);    // BodyCopy joins
  EXPECT_EQ(listed({}, false), 6u);    // the small element joins
  EXPECT_EQ(listed(false, false), 7u); // everything but Source and Destination
}
