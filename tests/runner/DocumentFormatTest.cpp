// Document files: exact round trips in every layout, the defaults a file may leave out, and a
// precise message for every fault, with nothing written when a write fails.
#include "DocumentFile.h"
#include "FloatText.h"
#include "RunnerTestSupport.h"
#include "SampleCharacter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

using namespace runner;
using namespace runner_test;

namespace {

float fromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A document with the values that trip careless float printing and every attribute set.
void buildAwkward(sim::Document& document) {
  sim::Object* a = document.addObject("Tricky \"name\" \\ 名前");
  a->depth = 2;
  a->locked = 1;
  a->selected = 1;
  a->visible = 0x12345u;
  const float values[] = {0.1f,          -0.0f,       1e-45f /* denormal */,
                          3.4028235e38f, 16777217.0f, fromBits(0x3F800001u),
                          1.0f / 3.0f,   -2.5e-8f,    123456.789f};
  for (size_t i = 0; i + 2 < std::size(values); ++i)
    a->addVertex(values[i], values[i + 1], values[i + 2]);
  a->editWeights()[1] = 0.3f;
  a->setVertexUniqueId(2, 4000000000u);
  a->addFace({0, 1, 2});
  a->addFace({});
  a->addFace({3, 4});
  a->addFace({2, 3, 4, 5, 6});
  a->editFaceUvs(int(0))[1] = MQCoordinate{0.7f, -0.0f};
  a->editFaceCreases(int(3))[4] = 0.25f;
  a->editMaterials()[size_t(0)] = 7;
  a->setFaceUniqueId(3, 99);
  a->selectedVertices = {0, 6};
  a->selectedFaces = {3};
  document.addEmptySlot();
  document.addObject("");
}

std::string roundTrip(const sim::Document& document, DataLayout layout, const ScratchFolder& dir,
                      sim::Document& back) {
  const std::string path = dir.file("doc.json");
  writeDocument(path, document, layout);
  readDocument(path, back);
  return path;
}

} // namespace

TEST(DocumentFiles, EveryLayoutRoundTripsBitForBit) {
  sim::Host host;
  sim::Document& original = host.newDocument();
  buildAwkward(original);
  sim::Document& sample = host.newDocument();
  SampleOptions small;
  small.segments = 8, small.rings = 12, small.armSegments = 6, small.armRings = 4, small.morphs = 2;
  buildSampleDocument(sample, small);
  for (DataLayout layout :
       {DataLayout::Readable, DataLayout::Base64, DataLayout::SideFile, DataLayout::Automatic}) {
    for (const sim::Document* document : {&original, &sample}) {
      ScratchFolder dir;
      sim::Document& back = host.newDocument();
      roundTrip(*document, layout, dir, back);
      EXPECT_EQ(sim::describe(back), sim::describe(*document))
          << "layout " << static_cast<int>(layout);
      // The side file is named after the document and a hash of its bytes.
      const std::string side = referencedSideFile(dir.file("doc.json"));
      if (layout == DataLayout::SideFile) {
        ASSERT_EQ(side.size(), dir.file("doc.json").size() + 21) << side;
        EXPECT_EQ(dir.listing(), "doc.json " + std::filesystem::path(side).filename().string());
      } else {
        EXPECT_EQ(side, "");
        EXPECT_EQ(dir.listing(), "doc.json");
      }
    }
  }
}

TEST(DocumentFiles, ValuesJsonCannotHoldStillRoundTripInTheReadableLayout) {
  sim::Host host;
  sim::Document& original = host.newDocument();
  sim::Object* a = original.addObject("A");
  a->addVertex(std::numeric_limits<float>::infinity(), fromBits(0x7FC01234u), 1.0f);
  a->editWeights()[0] = -std::numeric_limits<float>::infinity();
  ScratchFolder dir;
  sim::Document& back = host.newDocument();
  const std::string path = roundTrip(original, DataLayout::Readable, dir, back);
  EXPECT_EQ(sim::describe(back), sim::describe(original));
  EXPECT_NE(readFile(path).find("\"base64\""), std::string::npos);
}

TEST(DocumentFiles, ReadableLayoutIsShortAndPlain) {
  sim::Host host;
  sim::Document& original = host.newDocument();
  sim::Object* a = original.addObject("A");
  a->addVertex(0.1f, 2.0f, -0.0f);
  a->addFace({0, 0, 0});
  ScratchFolder dir;
  sim::Document& back = host.newDocument();
  const std::string text = readFile(roundTrip(original, DataLayout::Readable, dir, back));
  EXPECT_NE(text.find("[0.1, 2, -0.0]"), std::string::npos) << text;
  EXPECT_NE(text.find("[0, 0, 0]"), std::string::npos) << text;
  // Defaults are left out.
  for (const char* key : {"uniqueIds", "weights", "materials", "uvs", "creases", "selected\": ["})
    EXPECT_EQ(text.find(key), std::string::npos) << key;
}

// The text the documents have always had: "%.Ng" with the least N from 6 to 9 that strtod,
// rounded to float, reads back as the same value; the fast formatter must give it exactly.
std::string printfText(float value) {
  if (value == 0.0f)
    return std::signbit(value) ? "-0.0" : "0";
  char text[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    const float back = static_cast<float>(std::strtod(text, nullptr));
    if (std::memcmp(&back, &value, sizeof value) == 0)
      break;
  }
  return text;
}

TEST(DocumentFiles, NumbersAreWrittenAsTheyAlwaysWere) {
  std::vector<float> values = {0.1f,    1.0f,        -2.5e-8f,    3.4028235e38f, 1.17549435e-38f,
                               1e-45f,  16777217.0f, 123456.789f, 1e6f,          1e-5f,
                               0.0001f, 100000.0f};
  std::mt19937 random(7);
  for (int i = 0; i < 300000; ++i) {
    const std::uint32_t bits = random();
    const float value = fromBits(bits);
    if (std::isfinite(value))
      values.push_back(value);
    values.push_back(std::round(std::uniform_real_distribution<float>(-2, 2)(random) * 1e4f) /
                     1e4f); // the four decimals of hand-made documents
  }
  for (std::uint32_t bits = 0x3F800000u; bits < 0x3F800000u + 20000; ++bits)
    values.push_back(fromBits(bits)); // every float from 1 upwards for a stretch
  size_t differing = 0;
  for (float value : values) {
    char text[kNumberTextSize];
    const std::string fast(text, floatText(value, text));
    if (fast != printfText(value) && ++differing <= 5)
      ADD_FAILURE() << fast << " instead of " << printfText(value);
  }
  EXPECT_EQ(differing, 0u) << "of " << values.size();
}

TEST(DocumentFiles, ReadingAndWritingTellHowFarTheyHaveCome) {
  sim::Host host;
  sim::Document& sample = host.newDocument();
  SampleOptions small;
  small.segments = 8, small.rings = 12, small.armSegments = 6, small.armRings = 4, small.morphs = 2;
  buildSampleDocument(sample, small);
  for (DataLayout layout : {DataLayout::Readable, DataLayout::Base64, DataLayout::SideFile}) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    const FileProgress record = [&](std::uint64_t done, std::uint64_t total) {
      calls.emplace_back(done, total);
    };
    ScratchFolder dir;
    writeDocument(dir.file("doc.json"), sample, layout, record);
    for (int pass = 0; pass < 2; ++pass) {
      ASSERT_FALSE(calls.empty());
      for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_LE(calls[i].first, calls[i].second);
        if (i) {
          EXPECT_GE(calls[i].first, calls[i - 1].first);
        }
      }
      EXPECT_EQ(calls.back().first, calls.back().second) << "layout " << int(layout);
      calls.clear();
      sim::Document& back = host.newDocument();
      if (pass == 0)
        readDocument(dir.file("doc.json"), back, record);
    }
  }
}

TEST(DocumentFiles, LeftOutValuesTakeTheirDefaults) {
  ScratchFolder dir;
  writeFile(dir.file("d.json"), R"({"format": "tovalinder-document", "version": 1, "objects": [
    null, {"vertices": {"positions": [0,0,0, 1,0,0, 0,1,0]},
           "faces": {"sizes": [3], "points": [0,1,2]}}, {"name": "Empty"}]})");
  sim::Host host;
  sim::Document& document = host.newDocument();
  readDocument(dir.file("d.json"), document);
  ASSERT_EQ(document.slotCount(), 3);
  EXPECT_EQ(document.objectAt(0), nullptr);
  const sim::Object* a = document.objectAt(1);
  EXPECT_EQ(a->name(), "");
  EXPECT_EQ(a->depth, 0);
  EXPECT_EQ(a->locked, 0);
  EXPECT_EQ(a->selected, 0);
  EXPECT_EQ(a->visible, 0xFFFFFFFFu);
  ASSERT_EQ(a->vertexCount(), 3);
  for (int v = 0; v < 3; ++v) {
    EXPECT_EQ(a->vertexIds[static_cast<size_t>(v)], static_cast<MQDWORD>(v + 1));
    EXPECT_EQ(a->weights[static_cast<size_t>(v)], 1.0f);
  }
  EXPECT_EQ(a->faceIds[size_t(0)], 1u);
  EXPECT_EQ(a->materials[size_t(0)], -1);
  EXPECT_EQ(a->faceUvList(0).size(), 3u);
  EXPECT_EQ(a->faceCreaseList(0), std::vector<float>(3, 0.0f));
  EXPECT_TRUE(a->selectedVertices.empty());
  EXPECT_EQ(a->vertexIndexFromUniqueId(3), 2);
  EXPECT_EQ(document.objectAt(2)->vertexCount(), 0);
}

// Each bad file gets a message naming the file, the place and the fault.
TEST(DocumentFiles, FaultsAreNamedPrecisely) {
  const std::string head = R"({"format": "tovalinder-document", "version": 1, "objects": [)";
  const std::string tri = R"("vertices": {"positions": [[0,0,0],[1,0,0],[0,1,0]]})";
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"", "not valid JSON"},
      {"{\"format\": \"tovalinder-document\", \"version\": 1, \"objects\": [", "not valid JSON"},
      {"[1, 2]", "expected a JSON object at the top"},
      {R"({"format": "other", "version": 1, "objects": []})", "format: expected"},
      {R"({"format": "tovalinder-document", "version": 2, "objects": []})",
       "version: unsupported version 2"},
      {R"({"format": "tovalinder-document", "objects": []})", "version: missing"},
      {head + R"({"name": "A", "colour": 1}]})", "objects[0]: unknown key \"colour\""},
      {head + R"(3]})", "objects[0]: expected an object or null"},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"points": [[0,1,3]]}}]})",
       "objects[0] (\"A\").faces.points[0][2]: face 0 uses vertex 3, but the object has 3 "
       "vertices"},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"points": [[0,1,-1]]}}]})",
       "face 0 uses vertex -1"},
      {head + R"({"name": "A", "vertices": {"positions": [[0,0,0],[1,0]]}}]})",
       "objects[0] (\"A\").vertices.positions[1]: expected 3 numbers (x, y, z), found 2"},
      {head + R"({"name": "A", "vertices": {"positions": [0,0,0,1]}}]})", "not a multiple of 3"},
      {head + R"({"name": "A", "vertices": {"positions": [[0,0,"x"]]}}]})",
       "positions[0][2]: expected a number"},
      {head + R"({"name": "A", "vertices": {"positions": [[0,0,1e39]]}}]})",
       "positions[0][2]: expected a number within single-precision range"},
      {head + R"({"name": "A", )" + R"("vertices": {"positions": [[0,0,0],[1,0,0],[0,1,0]],
          "uniqueIds": [5, 6, 5]}}]})",
       "objects[0] (\"A\").vertices.uniqueIds[2]: duplicate unique ID 5, already the ID of "
       "vertex 0"},
      {head + R"({"name": "A", )" + R"("vertices": {"positions": [[0,0,0],[1,0,0],[0,1,0]],
          "uniqueIds": [4000000000, 7, 4000000000]}}]})",
       "objects[0] (\"A\").vertices.uniqueIds[2]: duplicate unique ID 4000000000, already the ID "
       "of vertex 0"},
      {head + R"({"name": "A", "vertices": {"positions": [[0,0,0]], "uniqueIds": [4294967295]}}]})",
       "uniqueIds[0]: unique ID 4294967295 leaves no ID for a new vertex"},
      {head + R"({"name": "A", )" + R"("vertices": {"positions": [[0,0,0]], "uniqueIds": [0]}}]})",
       "uniqueIds[0]: unique ID 0"},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"points": [[0,1,2],[2,1,0]],
          "uniqueIds": [9, 9]}}]})",
       "faces.uniqueIds[1]: duplicate unique ID 9, already the ID of face 0"},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"points": [[0,1,2]],
          "uvs": [[0,0,1,0]]}}]})",
       "faces.uvs[0]: face 0 has 3 points, so expected 6 numbers"},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"points": [0,1,2]}}]})",
       "flat \"points\" need \"sizes\""},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"sizes": [4], "points": [0,1,2]}}]})",
       "the sizes add up to 4 points"},
      {head + R"({"name": "A", )" + tri +
           R"(, "faces": {"points": [[0,1,2]], "materials": [-2]}}]})",
       "faces.materials[0]: material -2"},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"points": [[0,1,2]], "selected": [1]}}]})",
       "faces.selected[0]: face 1 does not exist"},
      {head + R"({"name": "A", "vertices": {"positions": {"type": "float32", "count": 3,
          "base64": "AAA*"}}}]})",
       "positions.base64: not valid base64"},
      {head + R"({"name": "A", "vertices": {"positions": {"type": "float32", "count": 3,
          "base64": "AAAAAA=="}}}]})",
       "positions.base64: holds 4 bytes, but 3 values need 12"},
      {head + R"({"name": "A", "vertices": {"positions": {"type": "float32", "count": 4,
          "base64": "AAAAAAAAAAAAAAAAAAAAAA=="}}}]})",
       "vertices.positions: holds 4 numbers, not a multiple of 3 (x, y, z)"},
      {head + R"({"name": "A", )" + tri + R"(, "faces": {"sizes": [3], "points": [0,1,2],
          "uvs": {"type": "float32", "count": 4, "base64": "AAAAAAAAAAAAAAAAAAAAAA=="}}}]})",
       "faces.uvs: holds 4 numbers, but the faces have 3 points in all (u and v of each point)"},
      {head + R"({"name": "A", "vertices": {"positions": {"type": "int32", "count": 0,
          "base64": ""}}}]})",
       "positions.type: this array holds float32 values"},
      {head + R"({"name": "A", "vertices": {"positions": {"type": "float32", "count": 3,
          "offset": 0}}}]})",
       "names no \"binary\" file"},
      {R"({"format": "tovalinder-document", "version": 1, "binary": {"file": "gone.bin",
          "bytes": 12}, "objects": []})",
       "binary: cannot open"},
      {head + R"({"name": ")" + std::string(250, 'n') + R"("}]})",
       "objects[0].name: is 250 bytes long"},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    const std::string path = dir.file("bad.json");
    writeFile(path, c.text);
    sim::Host host;
    sim::Document& document = host.newDocument();
    try {
      readDocument(path, document);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const FileError& e) {
      const std::string what = e.what();
      EXPECT_EQ(what.rfind(path + ": ", 0), 0u) << what;
      EXPECT_NE(what.find(c.expected), std::string::npos) << what << "\n  expected: " << c.expected;
    }
  }
}

TEST(DocumentFiles, SideFileFaultsAreNamed) {
  sim::Host host;
  sim::Document& original = host.newDocument();
  buildAwkward(original);
  ScratchFolder dir;
  const std::string path = dir.file("doc.json");
  writeDocument(path, original, DataLayout::SideFile);
  // Cut the side file short: the document no longer matches it.
  const std::string sidePath = referencedSideFile(path);
  const std::string bytes = readFile(sidePath);
  writeFile(sidePath, bytes.substr(0, bytes.size() - 4));
  sim::Document& back = host.newDocument();
  try {
    readDocument(path, back);
    ADD_FAILURE() << "accepted a short side file";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(sidePath + " has " + std::to_string(bytes.size() - 4) +
                                         " bytes, not the " + std::to_string(bytes.size())),
              std::string::npos)
        << e.what();
  }
}

TEST(DocumentFiles, MissingFileIsNamed) {
  ScratchFolder dir;
  sim::Host host;
  sim::Document& document = host.newDocument();
  try {
    readDocument(dir.file("none.json"), document);
    ADD_FAILURE();
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("none.json: cannot open the file"), std::string::npos)
        << e.what();
  }
}

TEST(DocumentFiles, AFailedWriteLeavesNothingAndAnOldFileUntouched) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  buildAwkward(document);
  ScratchFolder dir;
  EXPECT_THROW(writeDocument(dir.file("no/such/folder/x.json"), document, DataLayout::Readable),
               FileError);
  EXPECT_EQ(dir.listing(), "");
  // Writing over a file replaces it whole, leaving no temporary file behind.
  writeFile(dir.file("x.json"), "old");
  writeDocument(dir.file("x.json"), document, DataLayout::Base64);
  EXPECT_EQ(dir.listing(), "x.json");
  sim::Document& back = host.newDocument();
  readDocument(dir.file("x.json"), back);
  EXPECT_EQ(sim::describe(back), sim::describe(document));
}

TEST(DocumentFiles, TheBundledSampleIsReadableAndSelectsSourceAndDestination) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  readDocument(samplePath(), document);
  std::vector<std::string> selected;
  for (const sim::Object* object : document.objects())
    if (object->selected)
      selected.push_back(object->name());
  EXPECT_EQ(selected, (std::vector<std::string>{"Body", "BodyEdited"}));
  EXPECT_GE(document.findObject("Body")->vertexCount(), 2000);
  int elements = 0;
  for (const sim::Object* object : document.objects())
    elements += object->name().str().rfind("elem:", 0) == 0 && object->name().size() > 5 &&
                object->name().substr(object->name().size() - 5) == "-Body";
  EXPECT_EQ(elements, 5);
}
