// The document checker on documents that break each of its rules, one at a time, and on the
// faults a command did not make (the input's own) that it must not blame on the command.
#include "HostFunctions.h"
#include "SimCheck.h"
#include "SimHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// A quad with two triangles beside it: every rule holds.
sim::Object* addMesh(sim::Document& document, const std::string& name) {
  sim::Object* object = document.addObject(name);
  for (int i = 0; i < 5; ++i)
    object->addVertex(float(i), float(i % 2), 0);
  object->addFace({0, 1, 2, 3});
  object->addFace({1, 2, 4});
  object->addFace({2, 3, 4});
  return object;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\n";
  return text;
}

TEST(DocumentCheck, ASoundDocumentHasNoFinding) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  addMesh(document, "Body");
  document.addEmptySlot();
  addMesh(document, "Head")->selectedVertices = {0, 4};
  EXPECT_EQ(joined(sim::checkDocument(document)), "");
}

TEST(DocumentCheck, EachRuleBrokenAloneIsOneFindingNamingObjectAndPlace) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* rule;
    std::function<void(sim::Object&)> breakIt;
    const char* finding;
  };
  const std::vector<Case> cases = {
      {"point out of range", [](sim::Object& o) { o.editPoints()[5] = 9; },
       "object \"Body\" (slot 1): face 1 corner 1: point 9 out of range 0..4"},
      {"negative point", [](sim::Object& o) { o.editPoints()[0] = -1; },
       "object \"Body\" (slot 1): face 0 corner 0: point -1 out of range 0..4"},
      {"UVs short of the corners", [](sim::Object& o) { o.editUvs().pop_back(); },
       "object \"Body\" (slot 1): 9 UVs for 10 corners"},
      {"creases long", [](sim::Object& o) { o.editCreases().push_back(0); },
       "object \"Body\" (slot 1): 11 creases for 10 corners"},
      {"face starts past the corners", [](sim::Object& o) { o.editFaceStart().back() = 12; },
       "object \"Body\" (slot 1): the faces end at corner 12 but 10 points are held"},
      {"a face ending before it starts", [](sim::Object& o) { o.editFaceStart()[1] = 8; },
       "object \"Body\" (slot 1): face 1 ends at corner 7 before it starts at 8"},
      {"a face start missing", [](sim::Object& o) { o.editFaceStart().pop_back(); },
       "object \"Body\" (slot 1): 3 face starts for 3 faces"},
      {"weights short", [](sim::Object& o) { o.editWeights().pop_back(); },
       "object \"Body\" (slot 1): vertex arrays differ: 5 positions, 5 unique IDs, 4 weights"},
      {"materials short", [](sim::Object& o) { o.editMaterials().pop_back(); },
       "object \"Body\" (slot 1): face arrays differ: 3 unique IDs, 2 materials"},
      {"a vertex ID twice", [](sim::Object& o) { o.editVertexIds()[3] = o.editVertexIds()[1]; },
       "object \"Body\" (slot 1): vertex 3: unique ID 2 also borne by vertex 1"},
      {"a face ID of 0", [](sim::Object& o) { o.editFaceIds()[2] = 0; },
       "object \"Body\" (slot 1): face 2: unique ID 0"},
      {"an ID a new vertex would take", [](sim::Object& o) { o.editVertexIds()[0] = 6; },
       "object \"Body\" (slot 1): vertex 0: unique ID 6 not below the next ID 6"},
      {"a selected face out of range", [](sim::Object& o) { o.selectedFaces = {3}; },
       "object \"Body\" (slot 1): selected face 3 out of range 0..2"},
      {"a name longer than a host keeps", [](sim::Object& o) { o.setName(std::string(250, 'x')); },
       "\" (slot 1): name of 250 bytes, over the 249 a host keeps"},
  };
  for (const Case& c : cases) {
    sim::Host host;
    sim::Document& document = host.newDocument();
    addMesh(document, "Head");
    c.breakIt(*addMesh(document, "Body"));
    const std::vector<std::string> findings = sim::checkDocument(document);
    ASSERT_EQ(findings.size(), 1u) << c.rule << ":\n" << joined(findings);
    EXPECT_NE(findings[0].find(c.finding), std::string::npos) << c.rule << ": " << findings[0];
  }
  // Non-finite values are a fault only where the input had none.
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* body = addMesh(document, "Body");
  const sim::DocumentSnapshot before = sim::snapshotDocument(document);
  body->editUvs()[4].v = nan;
  body->editWeights()[1] = std::numeric_limits<float>::infinity();
  EXPECT_EQ(sim::checkDocument(document), std::vector<std::string>()) << "no snapshot, no rule";
  EXPECT_EQ(joined(sim::checkDocument(document, sim::CheckExpectations{&before, {}})),
            "object \"Body\" (slot 0): vertex weight 1: infinity (2 values not finite), where "
            "the input had none\n");
}

TEST(DocumentCheck, ABrokenArrayIsReportedBrieflyAndNeverReadPast) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* body = addMesh(document, "Body");
  for (int i = 0; i < 100; ++i)
    body->addFace({7, 8});
  body->editFaceStart()[1] = 1000; // the corners can no longer be walked face by face
  const std::vector<std::string> findings = sim::checkDocument(document);
  EXPECT_EQ(joined(findings),
            "object \"Body\" (slot 0): face 1 ends at corner 7 before it starts at 1000\n");
  body->editFaceStart()[1] = 4;
  const std::vector<std::string> many = sim::checkDocument(document);
  ASSERT_EQ(many.size(), 21u) << joined(many);
  EXPECT_EQ(many.back(), "object \"Body\" (slot 0): and 180 more of: face points");
}

class CommandCheck : public ::testing::Test {
protected:
  void SetUp() override {
    addMesh(document, "Body")->selected = 1;
    addMesh(document, "elem:smile-Body");
    destination = addMesh(document, "Body2");
    destination->addVertex(5, 5, 5);
    destination->selected = 1;
  }
  // A new element made the host's way: a clone of the Destination placed after slot 1.
  sim::Object* addElement(const std::string& name) {
    MQObject clone = MQObj_Clone(destination->handle());
    MQObj_SetName(clone, name.c_str());
    MQDoc_InsertObject(document.handle(), clone, document.objectAt(1)->handle());
    return host.objectFromHandle(clone);
  }
  std::vector<std::string> check() {
    return sim::checkDocument(document, sim::commandExpectations(document, before, destination));
  }
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* destination = nullptr;
  sim::DocumentSnapshot before;
};

TEST_F(CommandCheck, ANewElementHasItsDestinationsCounts) {
  before = sim::snapshotDocument(document);
  sim::Object* element = addElement("elem:smile-Body");
  MQObj_SetName(document.objectAt(1)->handle(), "#elem:smile-Body");
  EXPECT_EQ(joined(check()), "");
  element->truncateVertices(5);
  element->truncateFaces(2);
  EXPECT_EQ(joined(check()), "object \"elem:smile-Body\" (slot 2): new element of 5 vertices and "
                             "2 faces; its Destination \"Body2\" has 6 and 3\n");
}

TEST_F(CommandCheck, NamesSharedOnlyAfterTheCommandAreFound) {
  document.addObject("twin");
  document.addObject("twin");
  before = sim::snapshotDocument(document);
  addElement("twin");
  EXPECT_EQ(joined(check()), "") << "twins of the input may grow";
  addElement("elem:smile-Body"); // the old element kept its name
  EXPECT_EQ(joined(check()), "object \"elem:smile-Body\" (slot 2): name also borne by slot 1\n");
}

TEST_F(CommandCheck, TheInputsOwnFaultsAreNotTheCommands) {
  destination->editPoints()[0] = 40; // a Destination that a host would not hold
  destination->editPositions()[0].x = std::numeric_limits<float>::quiet_NaN();
  before = sim::snapshotDocument(document);
  addElement("elem:smile-Body");
  MQObj_SetName(document.objectAt(1)->handle(), "#elem:smile-Body");
  EXPECT_EQ(joined(check()), "") << "the new element inherits them from its Destination";
  document.objectAt(0)->editPoints()[1] = 41;
  document.objectAt(0)->editPositions()[1].y = -std::numeric_limits<float>::infinity();
  EXPECT_EQ(joined(check()),
            "object \"Body\" (slot 0): face 0 corner 1: point 41 out of range 0..4\n"
            "object \"Body\" (slot 0): vertex 1: infinity, where the input had none\n");
}

} // namespace
