// Faults at every byte and every line, as the best readers test themselves: a small GLB and a
// small .gltf (and its buffer file) cut at every byte, the GLB also cut with its header and chunk
// lengths told to match, every other value of every byte of the GLB header and chunk headers,
// and each file of an OBJ set cut at every line and inside every line. Every case is read as a
// run reads it, here in the test's process; a sample of each class goes through the program
// itself. Each must end in a refusal naming the file (exit 2 or 3) or in a run whose output
// reads back (exit 0): never a signal, never a hang, never another exception.
#include "GltfAsset.h"
#include "GltfMesh.h"
#include "HostileModels.h"
#include "HostileSupport.h"
#include "ObjReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>

using namespace hostile;
using runner_test::readFile;
using runner_test::ScratchFolder;
using runner_test::writeFile;

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// One class of faults: its cases, each the files it puts in a folder, and the run's arguments.
struct FaultClass {
  std::string name;
  size_t cases = 0;
  std::function<void(size_t, const ScratchFolder&)> make;
  std::vector<std::string> args;
  runner::FileArguments arguments; // the same, as the registry takes them
};

// Sampled program runs per class: spread over the cases, the first and the last among them.
const size_t kProgramRunsPerClass = 4;

std::string asText(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::uint32_t wordAt(const Bytes& b, size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}

void putWordAt(Bytes& b, size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    b[at + size_t(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The GLB cut at `size` bytes with the container told the truth: the chunk the cut falls in
// shortened to a multiple of 4, chunks past it dropped, the header's length the file's.
Bytes consistentCut(const Bytes& glb, size_t size) {
  Bytes cut(glb.begin(), glb.begin() + static_cast<std::ptrdiff_t>(size));
  if (size < 12)
    return cut;
  for (size_t at = 12; at < cut.size();) {
    if (at + 8 > cut.size()) {
      cut.resize(at);
      break;
    }
    const std::uint32_t length = wordAt(cut, at);
    if (at + 8 + length > cut.size()) {
      const auto kept = static_cast<std::uint32_t>((cut.size() - at - 8) / 4 * 4);
      putWordAt(cut, at, kept);
      cut.resize(at + 8 + kept);
      break;
    }
    at += 8 + length;
  }
  putWordAt(cut, 8, static_cast<std::uint32_t>(cut.size()));
  return cut;
}

// Where the GLB's header and chunk headers lie: 12 bytes, then 8 before each chunk.
std::vector<size_t> headerBytes(const Bytes& glb) {
  std::vector<size_t> at;
  for (size_t b = 0; b < 12; ++b)
    at.push_back(b);
  for (size_t chunk = 12; chunk + 8 <= glb.size(); chunk += 8 + wordAt(glb, chunk))
    for (size_t b = 0; b < 8; ++b)
      at.push_back(chunk + b);
  return at;
}

// Every prefix of the text that ends at a line's end, and one that ends inside each line.
std::vector<size_t> lineCuts(const std::string& text) {
  std::vector<size_t> cuts;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    cuts.push_back(start + (end - start) / 2);
    cuts.push_back(end + 1);
  }
  return cuts;
}

std::vector<FaultClass> gltfClasses() {
  const Bytes glb = smallModel().glb();
  const std::vector<size_t> headers = headerBytes(glb);
  ScratchFolder text;
  writeGltfWithBuffer(smallModel(), text.file("model.gltf"), "model.bin");
  const std::string gltf = readFile(text.file("model.gltf")),
                    bin = readFile(text.file("model.bin"));
  const std::vector<std::string> glbArgs = {"m/model.glb", "-o", "out.glb"};
  const std::vector<std::string> gltfArgs = {"m/model.gltf", "-o", "out.gltf"};
  runner::FileArguments glbRun, gltfRun;
  glbRun.inputs = {"m/model.glb"}, glbRun.output = "out.glb";
  gltfRun.inputs = {"m/model.gltf"}, gltfRun.output = "out.gltf";
  const auto glbFile = [](const ScratchFolder& d, const Bytes& bytes) {
    fs::create_directories(d.file("m"));
    writeFile(d.file("m/model.glb"), asText(bytes));
  };
  const auto gltfFiles = [](const ScratchFolder& d, const std::string& json, const std::string& b) {
    fs::create_directories(d.file("m"));
    writeFile(d.file("m/model.gltf"), json);
    writeFile(d.file("m/model.bin"), b);
  };
  return {
      {"GLB cut at every byte", glb.size(),
       [=](size_t n, auto& d) { glbFile(d, Bytes(glb.begin(), glb.begin() + long(n))); }, glbArgs,
       glbRun},
      {"GLB cut at every byte, lengths told to match", glb.size(),
       [=](size_t n, auto& d) { glbFile(d, consistentCut(glb, n)); }, glbArgs, glbRun},
      {"GLB header and chunk headers, every byte at every other value", headers.size() * 255,
       [=](size_t n, auto& d) {
         Bytes spoilt = glb;
         spoilt[headers[n / 255]] ^= static_cast<std::uint8_t>(n % 255 + 1);
         glbFile(d, spoilt);
       },
       glbArgs, glbRun},
      {".gltf cut at every byte", gltf.size(),
       [=](size_t n, auto& d) { gltfFiles(d, gltf.substr(0, n), bin); }, gltfArgs, gltfRun},
      {".gltf buffer file cut at every byte", bin.size(),
       [=](size_t n, auto& d) { gltfFiles(d, gltf, bin.substr(0, n)); }, gltfArgs, gltfRun},
  };
}

FaultClass objClass() {
  ScratchFolder made;
  const std::vector<std::string> set = writeSmallObjSet(made.file("obj"));
  std::vector<std::pair<size_t, size_t>> cuts; // file, bytes kept
  std::vector<std::string> texts;
  for (size_t f = 0; f < set.size(); ++f) {
    texts.push_back(readFile(set[f]));
    for (size_t cut : lineCuts(texts.back()))
      cuts.emplace_back(f, cut);
  }
  std::vector<std::string> names;
  for (const std::string& path : set)
    names.push_back(fs::relative(path, made.file("")).string());
  FaultClass c;
  c.name = "OBJ set, each file cut at every line and inside every line";
  c.cases = cuts.size();
  c.make = [=](size_t n, const ScratchFolder& d) {
    for (size_t f = 0; f < names.size(); ++f) {
      fs::create_directories(fs::path(d.file(names[f])).parent_path());
      writeFile(d.file(names[f]),
                f == cuts[n].first ? texts[f].substr(0, cuts[n].second) : texts[f]);
    }
  };
  c.args = {"--source", names[0],        "--morph", names[1],       "--morph",
            names[2],   "--destination", names[3],  "--output-dir", "out"};
  c.arguments = objSetArguments(names, "out");
  return c;
}

// The case read in this process, from a folder that is the working folder meanwhile.
ReadOutcome readCase(const FaultClass& c, size_t n, const ScratchFolder& dir) {
  c.make(n, dir);
  const fs::path before = fs::current_path();
  fs::current_path(dir.file(""));
  const ReadOutcome outcome = readAsARun(c.arguments);
  fs::current_path(before);
  return outcome;
}

// A refusal names a file of the run; a run that read is fine here (the program runs check the
// outputs).
bool refusedWell(const ReadOutcome& r, const FaultClass& c) {
  if (r.status == 0)
    return true;
  bool named = false;
  for (const std::string& arg : c.args)
    named =
        named || (arg.find('/') != std::string::npos && r.message.find(arg) != std::string::npos);
  return r.status == 3 && named;
}

// What a run that ended well wrote reads back as an input would.
void expectOutputReads(const ScratchFolder& dir, const FaultClass& c) {
  if (c.arguments.outputFolder.empty()) {
    runner::GltfAsset out = runner::loadGltf(dir.file(c.arguments.output));
    EXPECT_EQ(runner::readEveryMesh(out).size(), 2u);
    return;
  }
  for (const auto& entry : fs::directory_iterator(dir.file(c.arguments.outputFolder)))
    EXPECT_GT(runner::obj::readMesh(entry.path().string(), {}).vertexCount(), 0);
}

void runSample(const FaultClass& c, size_t n, int readStatus) {
  SCOPED_TRACE(c.name + ", case " + std::to_string(n));
  ScratchFolder dir;
  c.make(n, dir);
  const Outcome r = runRunner(dir, c.args);
  EXPECT_EQ(r.signal, 0) << r.err;
  EXPECT_TRUE(r.status == 0 || r.status == 2 || r.status == 3) << r.status << ": " << r.err;
  if (readStatus != 0) {
    EXPECT_EQ(r.status, readStatus) << r.err;
  }
  if (r.status != 0) {
    EXPECT_TRUE(r.err.find("model.") != std::string::npos ||
                r.err.find(".obj") != std::string::npos)
        << r.err;
  } else {
    expectOutputReads(dir, c);
  }
}

void checkClass(const FaultClass& c) {
  SCOPED_TRACE(c.name);
  size_t refused = 0, badRefusals = 0;
  std::vector<int> statuses(c.cases);
  // One folder for every case, each writing its files over the last one's; in memory where the
  // system has such a folder, since the cases write thousands of files.
  const ScratchFolder dir(fs::is_directory("/dev/shm") ? fs::path("/dev/shm")
                                                       : fs::temp_directory_path());
  for (size_t n = 0; n < c.cases; ++n) {
    const ReadOutcome r = readCase(c, n, dir);
    statuses[n] = r.status;
    refused += r.status != 0;
    if (!refusedWell(r, c) && ++badRefusals <= 5)
      ADD_FAILURE() << "case " << n << ": status " << r.status << ": " << r.message;
  }
  std::cout << c.name << ": " << c.cases << " cases, " << refused << " refused, "
            << c.cases - refused << " read\n";
  EXPECT_EQ(badRefusals, 0u);
  EXPECT_GT(refused, 0u);
  std::vector<size_t> sample;
  for (size_t k = 0; k < kProgramRunsPerClass; ++k)
    sample.push_back(k * (c.cases - 1) / (kProgramRunsPerClass - 1));
  const auto read = std::find(statuses.begin() + 1, statuses.end() - 1, 0);
  if (read != statuses.end() - 1)
    sample.push_back(static_cast<size_t>(read - statuses.begin())); // one that reads, cut or not
  for (size_t n : sample)
    runSample(c, n, statuses[n]);
}

} // namespace

TEST(ModelFaults, GltfFilesCutAtEveryByteOrWithHeadersSpoiltAreReadOrRefusedCleanly) {
  for (const FaultClass& c : gltfClasses())
    checkClass(c);
}

TEST(ModelFaults, ObjSetsCutAtEveryLineAreReadOrRefusedCleanly) {
  checkClass(objClass());
}
