// Elements read from files hold only what differs from their base: a model file's element is a
// clone of the Source with positions of its own; a document's element shares every array equal
// to its base's. What a document holds reads and writes back as before.
#include "DocumentFile.h"
#include "HostObjects.h"
#include "RunAnalysis.h"
#include "RunnerTestSupport.h"
#include "SampleCharacter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace runner;
using namespace runner_test;

namespace {

// The arrays an element shares with its base, one letter each (see SharedArraysTest.cpp).
std::string sharedWith(const sim::Object& a, const sim::Object& b) {
  std::string out;
  out += a.positions.sameBlock(b.positions) ? 'p' : '-';
  out += a.vertexIds.sameBlock(b.vertexIds) ? 'i' : '-';
  out += a.weights.sameBlock(b.weights) ? 'w' : '-';
  out += a.faceIds.sameBlock(b.faceIds) ? 'f' : '-';
  out += a.materials.sameBlock(b.materials) ? 'm' : '-';
  out += a.faceStart.sameBlock(b.faceStart) ? 's' : '-';
  out += a.points.sameBlock(b.points) ? 'c' : '-';
  out += a.uvs.sameBlock(b.uvs) ? 'u' : '-';
  out += a.creases.sameBlock(b.creases) ? 'e' : '-';
  return out;
}

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(SharedElements, AModelFilesElementIsAnOwnPositionsCloneOfItsBase) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object* base = document.addObject("Body");
  PolygonArrays mesh;
  mesh.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  mesh.faceStart = {0, 4};
  mesh.points = {0, 1, 2, 3};
  mesh.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
  mesh.materials = {0};
  fillObject(*base, mesh);
  sim::Object* element = document.addObject("elem:up-Body");
  std::vector<float> moved = mesh.positions;
  moved[2] = 0.5f;
  fillElement(*element, *base, moved);
  EXPECT_EQ(sharedWith(*element, *base), "-iwfmscue");
  EXPECT_EQ(positionsOf(*element), moved);
  EXPECT_EQ(positionsOf(*base), mesh.positions);
  EXPECT_EQ(element->faceCount(), 1);
  EXPECT_EQ(element->vertexCount(), 4);
}

TEST(SharedElements, ADocumentsElementsShareWhatEqualsTheirBase) {
  sim::Host host;
  sim::Document& built = host.newDocument();
  SampleOptions small;
  small.segments = 8, small.rings = 12, small.armSegments = 6, small.armRings = 4, small.morphs = 3;
  buildSampleDocument(built, small);
  // One element with a face attribute of its own: that array alone stays its own.
  sim::Object* odd = nullptr;
  for (sim::Object* object : built.objects())
    if (!odd && object->name().str().rfind("elem:", 0) == 0)
      odd = object;
  ASSERT_NE(odd, nullptr);
  odd->editMaterials()[0] = 7;
  ScratchFolder dir;
  for (DataLayout layout : {DataLayout::Readable, DataLayout::SideFile}) {
    const std::string path = dir.file(layout == DataLayout::Readable ? "r.json" : "b.json");
    writeDocument(path, built, layout);
    sim::Document& read = host.newDocument();
    readDocument(path, read);
    EXPECT_EQ(sim::describe(read), sim::describe(built));
    const sim::Object* body = read.findObject("Body");
    ASSERT_NE(body, nullptr);
    int elements = 0;
    for (const sim::Object* object : read.objects()) {
      if (object == body || object->name().str().rfind("elem:", 0) != 0)
        continue;
      ++elements;
      const bool isOdd = object->name() == odd->name();
      EXPECT_EQ(sharedWith(*object, *body), isOdd ? "-iwf-scue" : "-iwfmscue") << object->name();
    }
    EXPECT_EQ(elements, 3);
    // And it writes back byte for byte.
    const std::string again = dir.file("again.json");
    writeDocument(again, read, DataLayout::Readable);
    writeDocument(dir.file("first.json"), built, DataLayout::Readable);
    EXPECT_EQ(bytesOf(again), bytesOf(dir.file("first.json")));
  }
}

} // namespace

namespace {

// The face pairing of a run is worked out once for each distinct pair of face arrays: elements
// sharing their base's faces pair alike, and an element whose faces were written pairs its own.
TEST(SharedElements, FacePairingFollowsEachElementsOwnFaces) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  sim::Object& source = *document.addObject("Body");
  for (int v = 0; v < 4; ++v)
    source.addVertex(static_cast<float>(v % 2), static_cast<float>(v / 2), 0.0f);
  source.addFace({0, 1, 3});
  source.addFace({0, 3, 2});
  sim::Object& destination = *document.addObject("BodyEdited");
  destination.copyGeometry(source);
  sim::Object& shared = *document.addObject("elem:smile-Body");
  sim::Object& written = *document.addObject("elem:blink-Body");
  sim::Object& made = *document.addObject("elem:smile-BodyEdited");
  for (sim::Object* clone : {&shared, &written})
    clone->copyGeometry(source);
  made.copyGeometry(destination);
  ASSERT_TRUE(shared.points.sameBlock(written.points));
  written.setFacePoints(1, {0, 3, 2, 1}); // no longer the Destination face of its ID

  Correspondence pairs;
  pairs.sourceVertex = {0, 1, 2, 3};
  pairs.fate.assign(4, VertexFate::Matched);
  TransferSettings settings;
  settings.copyUvs = true;
  FaceAnalysis faces(destination, pairs, settings);
  EXPECT_EQ(faces.tally(shared, made).paired, 2);
  EXPECT_EQ(faces.tally(written, made).unpaired, 1);
  EXPECT_EQ(faces.unpaired(written, made), (std::vector<int>{1}));
  EXPECT_EQ(faces.tally(shared, made).unpaired, 0) << "back to the shared faces";
  settings.copyUvs = false;
  EXPECT_FALSE(FaceAnalysis(destination, pairs, settings).tally(shared, made).passRan);
}

} // namespace
