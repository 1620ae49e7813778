// OBJ files read into arrays and written back: every index form, materials, UVs and the parts
// left out; a message naming the file and line for every fault, also in endless junk, read with
// bounded memory; outputs that differ from their template in vertex coordinates only; and the
// Wavefront files of Debian's assimp-testmodels, each read or refused for a stated reason.
#include "DocumentFile.h"
#include "ObjLines.h"
#include "ObjReader.h"
#include "ObjWriter.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

using namespace runner;
using namespace runner::obj;
using namespace runner_test;

namespace {

Mesh readText(const std::string& text, ReadPart part = ReadPart::Mesh, bool keepText = false) {
  std::istringstream in(text);
  return readMesh(in, "test.obj", ReadOptions{part, keepText});
}

std::string failureOf(const std::string& text, ReadPart part = ReadPart::Mesh) {
  try {
    readText(text, part);
  } catch (const FileError& e) {
    return e.what();
  }
  return "(read without error)";
}

std::vector<int> facePoints(const Mesh& mesh, int face) {
  return std::vector<int>(mesh.cornerVertex.begin() + long(mesh.faceStart[size_t(face)]),
                          mesh.cornerVertex.begin() + long(mesh.faceStart[size_t(face) + 1]));
}

// An endless stream of pseudo-random bytes drawn from an alphabet, counting what is taken.
class JunkBuffer : public std::streambuf {
public:
  JunkBuffer(std::string alphabet, std::uint64_t length)
      : alphabet_(std::move(alphabet)), left_(length) {}
  std::uint64_t taken = 0;

protected:
  int_type underflow() override {
    if (left_ == 0)
      return traits_type::eof();
    const size_t n = static_cast<size_t>(std::min<std::uint64_t>(block_.size(), left_));
    for (size_t i = 0; i < n; ++i)
      block_[i] = alphabet_[random_() % alphabet_.size()];
    left_ -= n, taken += n;
    setg(block_.data(), block_.data(), block_.data() + n);
    return traits_type::to_int_type(block_[0]);
  }

private:
  std::string alphabet_;
  std::uint64_t left_;
  std::vector<char> block_ = std::vector<char>(1 << 16);
  std::mt19937 random_{42};
};

} // namespace

TEST(ObjFiles, EveryIndexFormMaterialsAndUvsAreRead) {
  const Mesh mesh = readText("# a comment\r\n"
                             "o thing\r\n"
                             "v 0 0 0 1 0.5 0.25\r\n" // a colour, not read
                             "v 1 0 0\r\n"
                             "v 1 1 0\r\n"
                             "vt 0.25 0.75\r\n"
                             "vt 0.5\r\n"
                             "vn 0 0 1\r\n"
                             "g a b\r\ns 1\r\n"
                             "f 1 2 3 # a comment after a statement\r\n"
                             "usemtl skin tone\r\n"
                             "f 1/1 2/2 3/1\r\n"
                             "usemtl eyes\r\n"
                             "f 1//1 2//1 3//1\r\n"
                             "usemtl skin tone\r\n"
                             "f -3/-2/-1 -2/-1/-1 -1/-2/1 4\r\n"
                             "v 0 1 0"); // named by the face above; no final line ending
  ASSERT_EQ(mesh.vertexCount(), 4);
  EXPECT_EQ(mesh.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(mesh.uvs, (std::vector<float>{0.25f, 0.75f, 0.5f, 0.0f}));
  ASSERT_EQ(mesh.faceCount(), 4);
  EXPECT_EQ(facePoints(mesh, 0), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(facePoints(mesh, 3), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(mesh.cornerUv, (std::vector<int>{-1, -1, -1, 0, 1, 0, -1, -1, -1, 0, 1, 0, -1}));
  EXPECT_EQ(mesh.faceMaterial, (std::vector<int>{-1, 0, 1, 0}));
  EXPECT_EQ(mesh.materials, (std::vector<std::string>{"skin tone", "eyes"}));
  EXPECT_EQ(mesh.notRead, (std::map<std::string, long>{{"g", 1}, {"o", 1}, {"s", 1}, {"vn", 1}}));
  // A morph file's faces are not needed: only its vertices are read.
  const Mesh positions = readText("v 1 2 3\nf 1 2 99\nvt nonsense\n", ReadPart::PositionsOnly);
  EXPECT_EQ(positions.positions, (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(positions.faceCount(), 0);
}

TEST(ObjFiles, EveryFaultNamesTheFileAndLine) {
  const std::string v3 = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {v3 + "f 1 2 4\n", "test.obj, line 4: vertex index 4 is past the 3 vertices of the file"},
      {v3 + "f 1 2 3\nf 1 2 1000006\nv 1 1 1\n",
       "test.obj, line 5: vertex index 1000006 is past the 4 vertices"},
      {v3 + "f -1 -2 -4\n", "line 4: vertex index -4 counts back past the 3 read so far"},
      {v3 + "f 0 1 2\n", "line 4: vertex index \"0\" is not a nonzero whole number"},
      {v3 + "vt 0 0\nf 1/1 2/2 3/1\n", "line 5: texture coordinate index 2 is past the 1"},
      {v3 + "f 1//1 2//1 3//1\n", "line 4: normal index 1 is past the 0 normals"},
      {"v 0 0 0\nv nan 0 0\n", "test.obj, line 2: x \"nan\": not a number"},
      {"v 0 0 inf\n", "line 1: z \"inf\": not a number"},
      {"v 0 0 1e39\n", "line 1: z \"1e39\": too large for single precision"},
      {"v 0 0 0\nv 1.0 2.0\n", "line 2: the line ends before its z"},
      {"v\n", "line 1: the line ends before its x"},
      {v3 + "f 1 2\n", "line 4: a face needs at least three corners, this one has 2"},
      {v3 + "f 1 2 3/\n", "line 4: texture coordinate index \"\" is not a nonzero whole number"},
      {v3 + "f 1 2 3/1/\n", "line 4: normal index \"\""},
      {"vt 0.5 oops\n", "line 1: v \"oops\": not a number"},
      {"v 1 2 3\nxyzzy 1 2\n", "line 2: \"xyzzy\" is not an OBJ statement"},
      {"v 1 2 \\\n 3\n", "line 1: a line continued with a backslash"},
      {std::string("v 1 2 3\nv 1 2 3\0\n", 16), "line 2: the byte 0x00 is no part of OBJ text"},
      {std::string("\xFF\xFE"
                   "v\0 \0",
                   6),
       "test.obj: UTF-16 text"},
  };
  for (const auto& [text, message] : cases)
    EXPECT_NE(failureOf(text).find(message), std::string::npos)
        << "expected: " << message << "\ngot: " << failureOf(text);
}

TEST(ObjFiles, JunkIsRefusedAtItsFirstLineAfterABoundedRead) {
  const std::uint64_t twoGigabytes = 2ull << 30;
  struct Case {
    std::string alphabet, message;
  };
  std::string binary;
  for (int c = 0; c < 256; ++c)
    binary += static_cast<char>(c);
  for (const Case& c : {Case{binary, "test.obj, line 1: the byte"},
                        Case{"abcdefghij ", "test.obj, line 1: a line longer than 4 MiB"},
                        Case{"abcdefghij \n", "\" is not an OBJ statement"}}) {
    JunkBuffer junk(c.alphabet, twoGigabytes);
    std::istream in(&junk);
    try {
      readMesh(in, "test.obj", ReadOptions{ReadPart::Mesh, true});
      ADD_FAILURE() << "junk read without error";
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_LE(junk.taken, kLongestLine + (2u << 20)) << c.message;
  }
}

#ifndef _WIN32
TEST(ObjFiles, ATwoGigabyteFileOfZerosIsRefusedWithoutReadingIt) {
  ScratchFolder dir;
  const std::string path = dir.file("zeros.obj");
  writeFile(path, "");
  std::filesystem::resize_file(path, 2ull << 30); // sparse: no disk space taken
  try {
    readMesh(path, ReadOptions{ReadPart::Mesh, true});
    ADD_FAILURE() << "read without error";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), path + ", line 1: the byte 0x00 is no part of OBJ text (is "
                                            "this an OBJ file?)");
  }
}
#endif

TEST(ObjFiles, OutputsDifferFromTheirTemplateInMovedCoordinatesOnly) {
  const std::string text = "\xEF\xBB\xBF# exported\r\n"
                           "v  1.000000  2.0\t3 0.5 0.5 0.5\r\n"
                           "vn 0 0 1\r\n"
                           "v -0 1e-3 7\r\n"
                           "f 1//1 2//1 1//1\r\n"
                           "v .5 .25 .125"; // no final line ending
  const Mesh mesh = readText(text, ReadPart::Mesh, true);
  ASSERT_EQ(mesh.text, text);
  auto written = [&](const std::vector<float>& positions) {
    std::ostringstream out;
    writeMorphed(out, mesh, positions.data());
    return out.str();
  };
  // Unmoved: the very same bytes, whatever the numbers' spelling.
  EXPECT_EQ(written(mesh.positions), text);
  std::vector<float> moved = mesh.positions;
  moved[1] = 2.0000002f; // y of vertex 0
  moved[3] = 0.0f;       // -0 becomes +0: a different float
  moved[8] = 0.1f;
  EXPECT_EQ(written(moved), "\xEF\xBB\xBF# exported\r\n"
                            "v  1.000000  2.0000002\t3 0.5 0.5 0.5\r\n"
                            "vn 0 0 1\r\n"
                            "v 0 1e-3 7\r\n"
                            "f 1//1 2//1 1//1\r\n"
                            "v .5 .25 0.1");
  // And the output reads back as exactly the positions written.
  EXPECT_EQ(readText(written(moved)).positions, moved);
}

TEST(ObjFiles, DebiansTestModelsAreReadOrRefusedWithAReason) {
  const std::string folder = "/usr/share/assimp/models/OBJ";
  if (!std::filesystem::is_directory(folder))
    GTEST_SKIP() << folder << " is not here (Debian package assimp-testmodels)";
  // The files refused, and why; every other one is read and rewritten byte for byte.
  const std::map<std::string, std::string> refused = {
      {"box_UTF16BE.obj", "box_UTF16BE.obj: UTF-16 text"},
      {"number_formats.obj", "number_formats.obj, line 11: z \"3.1+e2\": not a number"}};
  int read = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".obj")
      continue;
    try {
      const Mesh mesh = readMesh(entry.path().string(), ReadOptions{ReadPart::Mesh, true});
      EXPECT_EQ(refused.count(name), 0u) << name << " was read";
      std::ostringstream out;
      writeMorphed(out, mesh, mesh.positions.data());
      EXPECT_EQ(out.str(), readFile(entry.path().string())) << name;
      ++read;
    } catch (const FileError& e) {
      ASSERT_EQ(refused.count(name), 1u) << e.what();
      EXPECT_NE(std::string(e.what()).find(refused.at(name)), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(read, 20);
}
