// A morph carried end to end: the real plug-in binary moves the new element by the Source
// morph's offsets at the Rate the user typed, interpolates the vertex the edit added, copies
// weights and face attributes, and tells the user about the face it could not pair.
#include "SessionFixture.h"

namespace {

using session::addBody;
using session::Look;

class MorphSession : public session::Session {
protected:
  // Body and its smile (vertex 1 raised by 0.5 in y, vertex 5 pushed by 1 in z, weight and
  // material of its own); Body2 is Body with a vertex and a triangle added on the right.
  void scene() {
    addBody(document, "Body", 0, Look{0, 0xFFFFFFFFu, 0, 1});
    sim::Object* smile = addBody(document, "elem:smile-Body", 0, Look{1});
    smile->editPositions()[1].y += 0.5f;
    smile->editPositions()[5].z += 1.0f;
    smile->editWeights()[1] = 0.25f;
    smile->editMaterials()[size_t(0)] = 5;
    smile->editFaceUvs(int(1))[0] = {0.75f, 0.125f};
    sim::Object* edited = addBody(document, "Body2", 0, Look{0, 0xFFFFFFFFu, 0, 1});
    edited->addVertex(3.0f, 0.5f, 1.0f);
    edited->addFace({2, 6, 5});
  }

  const sim::Object& newSmile() const {
    const sim::Object* object = document.findObject("elem:smile-Body");
    EXPECT_NE(object, nullptr);
    return *object;
  }
};

TEST_F(MorphSession, HalfTheMorphWithTheAddedVertexInterpolated) {
  scene();
  runCommand(sim::UserScript().typeText(dialog::kRateLabel, "50").clickButton(dialog::kOkCaption));

  const sim::Object& smile = newSmile();
  ASSERT_EQ(smile.vertexCount(), 7);
  EXPECT_EQ(smile.positions[1].y, 0.25f) << "half of 0.5";
  EXPECT_EQ(smile.positions[5].z, 1.5f) << "half of 1 on z = 1";
  // Vertex 6 lies as far from vertex 2 (no offset) as from vertex 5 (offset 1 in z): the mean,
  // 0.5, then half of it.
  EXPECT_EQ(smile.positions[6].x, 3.0f);
  EXPECT_EQ(smile.positions[6].y, 0.5f);
  EXPECT_EQ(smile.positions[6].z, 1.25f);
  EXPECT_EQ(smile.positions[0].z, 1.0f) << "no offset, no move";

  EXPECT_EQ(smile.weights[1], 0.25f) << "weights are copied unscaled";
  EXPECT_EQ(smile.weights[6], 1.0f) << "an added vertex keeps its own weight";
  EXPECT_EQ(smile.materials[size_t(0)], 5);
  EXPECT_EQ(smile.faceUvs(int(1))[0].u, 0.75f);
  EXPECT_EQ(smile.faceCreases(int(1))[2], 1.0f);

  const std::vector<sim::MessageBoxRecord> boxes = host.messageBoxes();
  ASSERT_EQ(boxes.size(), 1u) << "the added triangle has no Source face";
  EXPECT_EQ(boxes[0].title, "Tovalinder");
  EXPECT_EQ(boxes[0].message, "Attributes of some faces were not copied.");

  EXPECT_NE(document.findObject("#elem:smile-Body"), nullptr) << "the old element is kept";
  EXPECT_NE(document.findObject("#Body"), nullptr);
  EXPECT_EQ(document.findObject("Body")->vertexCount(), 7) << "the Destination took the name";
}

TEST_F(MorphSession, PairingByPositionGivesTheSameMorph) {
  scene();
  runCommand(sim::UserScript()
                 .clickCheckBox(session::caption(&TransferSettings::useUniqueIds))
                 .typeText(dialog::kRateLabel, "100")
                 .clickButton(dialog::kOkCaption));
  const sim::Object& smile = newSmile();
  EXPECT_EQ(smile.positions[1].y, 0.5f);
  EXPECT_EQ(smile.positions[5].z, 2.0f);
  EXPECT_EQ(smile.positions[6].z, 1.5f);
  EXPECT_EQ(host.messageBoxes().size(), 1u);
}

TEST_F(MorphSession, OnlyCoordinatesLeavesTheOtherAttributesAndShowsNoMessage) {
  scene();
  runCommand(sim::UserScript()
                 .clickCheckBox("ウェイト")
                 .clickCheckBox("材質")
                 .clickCheckBox("UV")
                 .clickCheckBox("エッジ")
                 .clickButton(dialog::kOkCaption));
  const sim::Object& smile = newSmile();
  EXPECT_EQ(smile.positions[1].y, 0.5f);
  EXPECT_EQ(smile.weights[1], 1.0f);
  EXPECT_EQ(smile.materials[size_t(0)], 0) << "the Destination's own material stays";
  EXPECT_TRUE(host.messageBoxes().empty()) << "no face pass, nothing skipped";
}

TEST_F(MorphSession, MirroredMorphSwapsSides) {
  // A symmetric strip around x = 0; the morph raises only the right end.
  sim::Object* body = document.addObject("Wing");
  for (float x : {-1.0f, 0.0f, 1.0f})
    body->addVertex(x, 0.0f, 0.0f);
  for (float x : {-1.0f, 0.0f, 1.0f})
    body->addVertex(x, 1.0f, 0.0f);
  body->addFace({0, 1, 4, 3});
  body->addFace({1, 2, 5, 4});
  body->selected = 1;
  sim::Object* morph = document.addObject("elem:raise-Wing");
  morph->copyGeometry(*body);
  morph->editPositions()[2].x += 0.5f;
  morph->editPositions()[2].z += 0.25f;
  sim::Object* copy = document.addObject("Wing2");
  copy->copyGeometry(*body);
  copy->selected = 1;

  runCommand(sim::UserScript()
                 .clickCheckBox(session::caption(&TransferSettings::mirrorMorph))
                 .clickButton(dialog::kOkCaption));
  const sim::Object* raised = document.findObject("elem:raise-Wing");
  ASSERT_NE(raised, nullptr);
  EXPECT_EQ(raised->positions[0].x, -1.5f) << "the left end takes the right's offset, x negated";
  EXPECT_EQ(raised->positions[0].z, 0.25f);
  EXPECT_EQ(raised->positions[2].x, 1.0f) << "the right end takes the left's: none";
  EXPECT_EQ(raised->positions[2].z, 0.0f);
}

} // namespace
