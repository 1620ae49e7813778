// Runs on OBJ morph sets as a user starts them: the sample character written as OBJ files by
// tovalinder-sample, carried onto its edited copy; every output checked by a second reader
// (Debian's `assimp info`), against the Source offsets bit for bit, and against the edited file
// line by line; named morphs, the output folder's rules, and every mistake with its exit status
// and nothing written.
#include "DocumentFile.h"
#include "ObjReader.h"
#include "ProgramRun.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <map>
#include <sstream>

using namespace runner_test;
using runner::obj::Mesh;
using runner::obj::ReadOptions;
using runner::obj::ReadPart;

namespace {

const char* const kMorphs[] = {"armsUp", "belly", "blink", "smile", "sneerL"};

Result runObjRun(const std::vector<std::string>& args, const ScratchFolder& dir) {
  return runProgram(TOVALINDER_RUNNER_FILE, args, dir);
}

// The sample character as OBJ files in dir/set: Body.obj, shapes/<morph>.obj, BodyEdited.obj.
void writeSampleSet(const ScratchFolder& dir) {
  const Result r = runProgram(TOVALINDER_SAMPLE_TOOL_FILE, {"--obj", "set"}, dir);
  ASSERT_EQ(r.status, 0) << r.err;
}

Mesh read(const std::string& path) {
  return runner::obj::readMesh(path, ReadOptions{ReadPart::Mesh, false});
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// What `assimp info --raw` (no post-processing) counts in a file: -1 when it cannot read it.
std::pair<long, long> assimpCounts(const std::string& path, const ScratchFolder& dir) {
  const Result r = runProgram("assimp", {"info", path, "-r"}, dir);
  long vertices = -1, faces = -1;
  for (const std::string& line : linesOf(r.out)) {
    if (line.rfind("Vertices:", 0) == 0)
      vertices = std::stol(line.substr(9));
    if (line.rfind("Faces:", 0) == 0)
      faces = std::stol(line.substr(6));
  }
  return {vertices, faces};
}

std::uint32_t bitsOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The Destination vertices at exactly the position of one Source vertex (the ones a pairing by
// position matches), each with the Source vertex's index.
std::map<int, int> exactPartners(const Mesh& source, const Mesh& destination) {
  std::map<std::array<std::uint32_t, 3>, int> sourceAt;
  std::map<std::array<std::uint32_t, 3>, int> seen;
  auto key = [](const Mesh& mesh, int v) {
    const float* p = &mesh.positions[3 * static_cast<size_t>(v)];
    return std::array<std::uint32_t, 3>{bitsOf(p[0]), bitsOf(p[1]), bitsOf(p[2])};
  };
  for (int v = 0; v < source.vertexCount(); ++v)
    if (++seen[key(source, v)] == 1)
      sourceAt[key(source, v)] = v;
  std::map<int, int> partners;
  for (int v = 0; v < destination.vertexCount(); ++v)
    if (const auto found = sourceAt.find(key(destination, v));
        found != sourceAt.end() && seen[found->first] == 1)
      partners[v] = found->second;
  return partners;
}

} // namespace

TEST(ObjRuns, TheSampleSetIsCarriedOntoItsEditedCopy) {
  ScratchFolder dir;
  writeSampleSet(dir);
  const Result r = runObjRun({"--source", "set/Body.obj", "--morph", "set/shapes/*.obj",
                              "--destination", "set/BodyEdited.obj", "--output-dir", "out",
                              "--pictures", "pictures", "--report", "json"},
                             dir);
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  EXPECT_EQ(report["files"]["format"], "OBJ");
  EXPECT_EQ(report["vertices"]["pairedBy"], "position");
  EXPECT_EQ(report["dialog"]["options"]["use-unique-ids"], false);
  ASSERT_EQ(report["files"]["written"].size(), 5u);
  EXPECT_EQ(dir.listing(), "out pictures set");

  const Mesh source = read(dir.file("set/Body.obj"));
  const std::string editedText = readFile(dir.file("set/BodyEdited.obj"));
  const Mesh edited = read(dir.file("set/BodyEdited.obj"));
  const std::map<int, int> partners = exactPartners(source, edited);
  EXPECT_EQ(static_cast<long>(partners.size()), report["vertices"]["matched"].get<long>());
  for (size_t k = 0; k < std::size(kMorphs); ++k) {
    const std::string morph = kMorphs[k], output = "out/" + morph + ".obj";
    EXPECT_EQ(report["files"]["written"][k]["file"], output);
    EXPECT_EQ(report["elements"][k]["from"], "elem:" + morph + "-Body");
    // A second reader sees the Destination's faces, one vertex per corner (no post-processing).
    EXPECT_EQ(assimpCounts(output, dir),
              std::make_pair(static_cast<long>(edited.cornerVertex.size()),
                             static_cast<long>(edited.faceCount())))
        << output;
    // Only vertex lines differ from the edited file.
    const std::vector<std::string> expected = linesOf(editedText);
    const std::vector<std::string> got = linesOf(readFile(dir.file(output)));
    ASSERT_EQ(got.size(), expected.size()) << output;
    size_t changed = 0;
    for (size_t i = 0; i < got.size(); ++i)
      if (got[i] != expected[i]) {
        EXPECT_EQ(got[i].substr(0, 2), "v ") << output << ": " << got[i];
        EXPECT_EQ(expected[i].substr(0, 2), "v ") << output << ": " << expected[i];
        ++changed;
      }
    EXPECT_EQ(static_cast<long>(changed), report["elements"][k]["movedVertices"].get<long>());
    // Every matched vertex moved by exactly the Source offset (Rate 100: one float addition).
    const Mesh shape = read(dir.file("set/shapes/" + morph + ".obj"));
    const Mesh out = read(dir.file(output));
    for (const auto& [d, s] : partners)
      for (size_t axis = 0; axis < 3; ++axis) {
        const size_t di = 3 * static_cast<size_t>(d) + axis, si = 3 * static_cast<size_t>(s) + axis;
        ASSERT_EQ(bitsOf(out.positions[di]),
                  bitsOf(edited.positions[di] + (shape.positions[si] - source.positions[si])))
            << output << " vertex " << d;
      }
    const std::string png =
        readFile(dir.file("pictures/" + std::to_string(k + 1) + "-elem_" + morph + "-Body.png"));
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << morph;
  }
}

TEST(ObjRuns, NamedMorphsAndTheOutputFolderRules) {
  ScratchFolder dir;
  writeSampleSet(dir);
  const std::vector<std::string> args = {"--source",      "set/Body.obj",
                                         "--morph",       "grin=set/shapes/smile.obj",
                                         "--morph",       "set/shapes/blink.obj",
                                         "--destination", "set/BodyEdited.obj",
                                         "--output-dir",  "out"};
  const Result first = runObjRun(args, dir);
  ASSERT_EQ(first.status, 0) << first.err;
  for (const char* line : {"  morph grin   set/shapes/smile.obj\n", "Written: out/grin.obj\n",
                           "Written: out/blink.obj\n", "\"elem:grin-Body\""})
    EXPECT_NE(first.out.find(line), std::string::npos) << line << "\n" << first.out;
  EXPECT_EQ(dir.listing(), "out set");
  const std::string grin = readFile(dir.file("out/grin.obj"));

  // An existing file is replaced only with --force; without it nothing at all is written.
  writeFile(dir.file("out/grin.obj"), "older");
  writeFile(dir.file("out/blink.obj"), "older");
  const Result refused = runObjRun(args, dir);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("out/grin.obj exists; give --force to replace it"), std::string::npos)
      << refused.err;
  EXPECT_EQ(readFile(dir.file("out/grin.obj")), "older");
  EXPECT_EQ(readFile(dir.file("out/blink.obj")), "older");
  std::vector<std::string> forced = args;
  forced.push_back("--force");
  ASSERT_EQ(runObjRun(forced, dir).status, 0);
  EXPECT_EQ(readFile(dir.file("out/grin.obj")), grin);
  EXPECT_NE(readFile(dir.file("out/blink.obj")), "older");

  // Never over an input, forced or not.
  const std::string blink = readFile(dir.file("set/shapes/blink.obj"));
  forced[9] = "set/shapes";
  const Result overInput = runObjRun(forced, dir);
  EXPECT_EQ(overInput.status, 2);
  EXPECT_NE(overInput.err.find("set/shapes/blink.obj is an input of this run"), std::string::npos)
      << overInput.err;
  EXPECT_EQ(readFile(dir.file("set/shapes/blink.obj")), blink);
  // Nor over something that is not a file.
  std::filesystem::remove(dir.file("out/grin.obj"));
  std::filesystem::create_directories(dir.file("out/grin.obj"));
  std::filesystem::remove(dir.file("out/blink.obj"));
  forced[9] = "out";
  const Result overFolder = runObjRun(forced, dir);
  EXPECT_EQ(overFolder.status, 2);
  EXPECT_NE(overFolder.err.find("out/grin.obj exists and is not a file"), std::string::npos)
      << overFolder.err;
  EXPECT_EQ(dir.listing(), "out set");
  EXPECT_FALSE(exists(dir.file("out/blink.obj")));
}

TEST(ObjRuns, MistakesExitWithTheirStatusAndWriteNothing) {
  ScratchFolder dir;
  writeSampleSet(dir);
  writeFile(dir.file("nan.obj"), "v 0 0 0\nv 1 0 0\nv nan 0 0\n");
  writeFile(dir.file("past.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 4\n");
  const std::vector<std::string> base = {"--source",           "set/Body.obj", "--destination",
                                         "set/BodyEdited.obj", "--output-dir", "out"};
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--morph", "set/shapes/smile.obj", "--use-unique-ids"},
       2,
       "--use-unique-ids: OBJ files carry no vertex unique IDs, so this run pairs the vertices "
       "by position"},
      {{"--morph", "set/BodyEdited.obj"},
       3,
       "set/BodyEdited.obj has 2291 vertices but the Source set/Body.obj has 2260"},
      {{"--morph", "nan.obj"}, 3, "nan.obj, line 3: x \"nan\": not a number"},
      {{"--morph", "set/none/*.obj"}, 3, "--morph \"set/none/*.obj\": no morph file matches"},
      {{"--morph", "smile-left=set/shapes/smile.obj"},
       2,
       "the morph name \"smile-left\" has a \"-\""},
      {{"--morph", "a=set/shapes/smile.obj", "--morph", "a=set/shapes/blink.obj"},
       2,
       "two morphs are named \"a\""},
      {{}, 2, "no morph file given"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = base;
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = runObjRun(args, dir);
    EXPECT_EQ(r.status, c.status) << c.message << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(dir.listing(), "nan.obj past.obj set") << c.message;
  }
  const Result past = runObjRun({"--source", "set/Body.obj", "--morph", "set/shapes/smile.obj",
                                 "--destination", "past.obj", "--output-dir", "out"},
                                dir);
  EXPECT_EQ(past.status, 3);
  EXPECT_NE(past.err.find("past.obj, line 5: vertex index 4 is past the 3 vertices"),
            std::string::npos)
      << past.err;
  for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--source", "set/Body.obj", "--morph", "x.obj", "--destination", "set/BodyEdited.obj"},
            "--output-dir FOLDER is needed"},
           {{"doc.json", "--morph", "x.obj"}, "--morph is for runs on OBJ files"},
           {{"set/Body.obj"}, "name the files of an OBJ run with --source BASE.obj"},
           {{"--source", "set/Body.obj", "--morph", "x.obj", "--output-dir", "out"},
            "needs --destination EDITED.obj"}}) {
    const Result r = runObjRun(args, dir);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  EXPECT_EQ(dir.listing(), "nan.obj past.obj set");
}

TEST(ObjRuns, ADryRunReportsTheFilesAndWritesNothing) {
  ScratchFolder dir;
  writeSampleSet(dir);
  const Result r = runObjRun({"--source", "set/Body.obj", "--morph", "set/shapes/s*.obj",
                              "--destination", "set/BodyEdited.obj", "--dry-run"},
                             dir);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* line :
       {"Files read (OBJ):\n", "  Source        set/Body.obj\n",
        "  morph smile   set/shapes/smile.obj\n", "  morph sneerL  set/shapes/sneerL.obj\n",
        "  Destination   set/BodyEdited.obj\n",
        "Elements made (2):", "paired by position along the vertex order", "Not written (dry run)"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  EXPECT_EQ(dir.listing(), "set");
  const Result help = runObjRun({"--help"}, dir);
  for (const char* text :
       {"--source BASE.obj", "--morph FILE", "--morph NAME=FILE", "--morph 'PATTERN'",
        "--destination EDITED.obj", "--output-dir FOLDER", "--force", "pair vertices by position"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
}
