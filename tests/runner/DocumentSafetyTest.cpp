// Hostile document files: any nesting, duplicate keys, side files outside the document's folder
// or that are pipes, devices or folders, offsets near 2^64, and files that would take far more
// memory than the data they hold. Each is refused with one line that names the file and the
// place, quickly and without a crash.
#include "DocumentFile.h"
#include "RunnerTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace runner;
using namespace runner_test;

namespace {

const std::string kHead = R"({"format": "tovalinder-document", "version": 1, )";

// The message a refused file gets; "" when the file was read.
std::string refusal(const ScratchFolder& dir, const std::string& text,
                    const std::string& name = "bad.json") {
  const std::string path = dir.file(name);
  writeFile(path, text);
  sim::Host host;
  sim::Document& document = host.newDocument();
  try {
    readDocument(path, document);
  } catch (const FileError& e) {
    const std::string what = e.what();
    EXPECT_EQ(what.rfind(path + ": ", 0), 0u) << what;
    EXPECT_EQ(what.find('\n'), std::string::npos) << "a message is one line: " << what;
    EXPECT_LT(what.size(), 700u) << what;
    return what;
  }
  return "";
}

std::string nested(size_t depth, const std::string& inner = "0") {
  return std::string(depth, '[') + inner + std::string(depth, ']');
}

void expectRefused(const ScratchFolder& dir, const std::string& text, const std::string& part) {
  const std::string what = refusal(dir, text);
  EXPECT_NE(what.find(part), std::string::npos) << "expected: " << part << "\n  got: " << what;
}

} // namespace

TEST(HostileDocuments, AnyNestingIsRefusedAtItsPlace) {
  ScratchFolder dir;
  const size_t deep = 100000;
  expectRefused(dir, nested(deep), "expected a JSON object at the top");
  const std::string tooDeep = "[0][0][0]: nested more than 64 levels deep";
  expectRefused(dir, kHead + R"("objects": [{"name": )" + nested(deep) + "}]}",
                "objects[0].name[0][0]");
  expectRefused(dir, kHead + R"("objects": [{"name": )" + nested(deep) + "}]}", tooDeep);
  expectRefused(dir, kHead + R"("objects": [{"vertices": {"positions": )" + nested(deep) + "}}]}",
                "objects[0].vertices.positions[0][0]: expected a number within single-precision");
  expectRefused(dir, kHead + R"("description": )" + nested(deep) + R"(, "objects": []})",
                "description[0][0]");
  expectRefused(dir, kHead + R"("description": )" + nested(deep) + R"(, "objects": []})", tooDeep);
  std::string objects;
  for (size_t i = 0; i < deep; ++i)
    objects += R"({"a":)";
  expectRefused(dir, kHead + R"("description": )" + objects, "nested more than 64 levels deep");
  // Cut short at any depth: a parse fault, with the path where the text ended.
  expectRefused(dir, kHead + R"("objects": [{"vertices": {"positions": [[0, 0)",
                "not valid JSON: parse error at line 1, column");
}

TEST(HostileDocuments, DuplicateKeysAreRefusedAtEveryLevel) {
  ScratchFolder dir;
  const std::string tri = R"("positions": [[0,0,0],[1,0,0],[0,1,0]])";
  struct Case {
    std::string text, part;
  };
  const Case cases[] = {
      {kHead + R"("version": 1, "objects": []})", ": duplicate key \"version\""},
      {kHead + R"("objects": [], "objects": []})", ": duplicate key \"objects\""},
      {kHead + R"("x": 1, "x": 2, "objects": []})", ": duplicate key \"x\""},
      {kHead + R"("objects": [{"name": "A", "name": "B"}]})", "objects[0]: duplicate key \"name\""},
      {kHead + R"("objects": [{"name": "A", "vertices": {)" + tri + ", " + tri + "}}]}",
       "objects[0] (\"A\").vertices: duplicate key \"positions\""},
      {kHead + R"("objects": [{"name": "A", "vertices": {)" + tri +
           R"(}, "faces": {"points": [[0,1,2]], "uvs": [[0,0,0,0,0,0]], "uvs": []}}]})",
       "objects[0] (\"A\").faces: duplicate key \"uvs\""},
      {kHead + R"("objects": [{"vertices": {"positions": {"type": "float32", "type": "float32",
          "count": 0, "base64": ""}}}]})",
       "objects[0].vertices.positions: duplicate key \"type\""},
      {kHead + R"("binary": {"file": "a.bin", "file": "b.bin", "bytes": 0}, "objects": []})",
       "binary: duplicate key \"file\""},
      {kHead + R"("description": {"a": {"b": 1, "b": 2}}, "objects": []})",
       "description.a: duplicate key \"b\""},
  };
  for (const Case& c : cases)
    expectRefused(dir, c.text, c.part);
}

TEST(HostileDocuments, TheSideFileIsAPlainNameBesideTheDocument) {
  ScratchFolder dir;
  writeFile(dir.file("data.bin"), std::string(12, '\0'));
  for (const char* name : {"../data.bin", "/etc/passwd", "sub/data.bin", "sub\\\\data.bin",
                           "C:data.bin", "..", ".", "data.bin\\u0000x"}) {
    const std::string text =
        kHead + R"("binary": {"file": ")" + name + R"(", "bytes": 12}, "objects": []})";
    expectRefused(dir, text, "binary.file: ");
    expectRefused(dir, text, "is not a plain file name");
  }
  // The same name, plain, is read.
  EXPECT_EQ(refusal(dir, kHead + R"("binary": {"file": "data.bin", "bytes": 12}, "objects": []})"),
            "");
}

TEST(HostileDocuments, AFolderIsNeitherADocumentNorASideFile) {
  ScratchFolder dir;
  std::filesystem::create_directory(dir.file("folder.bin"));
  expectRefused(dir, kHead + R"("binary": {"file": "folder.bin", "bytes": 0}, "objects": []})",
                "folder.bin: is a folder, not a file");
  sim::Host host;
  sim::Document& document = host.newDocument();
  try {
    readDocument(dir.file("folder.bin"), document);
    ADD_FAILURE() << "read a folder";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("folder.bin: cannot open the file: is a folder"),
              std::string::npos)
        << e.what();
  }
}

TEST(HostileDocuments, OffsetsAndCountsNeverWrap) {
  ScratchFolder dir;
  writeFile(dir.file("d.bin"), std::string(16, '\0'));
  const std::string side = R"("binary": {"file": "d.bin", "bytes": 16}, )";
  expectRefused(dir, kHead + side + R"("objects": [{"vertices": {"positions": {"type": "float32",
      "count": 3, "offset": 18446744073709551610}}}]})",
                "objects[0] (\"\").vertices.positions: needs bytes "
                "18446744073709551610..18446744073709551622 of " +
                    dir.file("d.bin") + ", which has 16 bytes");
  expectRefused(dir, kHead + side + R"("objects": [{"vertices": {"positions": {"type": "float32",
      "count": 4294967295, "offset": 4}}}]})",
                "needs bytes 4..17179869184 of");
  expectRefused(dir, kHead + side + R"("objects": [{"vertices": {"positions": {"type": "float32",
      "count": 4294967296, "offset": 0}}}]})",
                "positions.count: a data block needs its value count as an unsigned integer");
  expectRefused(dir, kHead + R"("objects": [{"vertices": {"positions": [0, 0, 1e400]}}]})",
                "number overflow parsing '1e400' (at objects[0].vertices.positions[2])");
  expectRefused(dir, kHead + R"("objects": [{"faces": {"sizes": [2147483647, 2147483647, 2],
      "points": [0, 1]}}]})",
                "the sizes add up to 4294967296 points");
}

TEST(HostileDocuments, LongKeysAndNamesAreCutInMessages) {
  ScratchFolder dir;
  const std::string longKey(1000000, 'k');
  const std::string what = refusal(dir, kHead + R"("objects": [{")" + longKey + R"(": 1}]})");
  EXPECT_NE(what.find("objects[0]: unknown key \"kkkk"), std::string::npos) << what;
  EXPECT_NE(what.find("...\""), std::string::npos) << what;
  expectRefused(dir, kHead + R"("objects": [{"name": "a\nb", "depth": "x"}]})",
                "objects[0] (\"a\\nb\").depth: expected a 32-bit integer, found \"x\"");
}

#ifndef _WIN32

namespace {

// Runs the reader on the file in a child process that must finish within seconds; answers its
// message (or "read") and, when asked, its peak memory in megabytes.
std::string readInChild(const std::string& path, long* peakMegabytes = nullptr) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0)
    return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    alarm(20); // a reader that blocks dies here and the test fails
    std::string message = "read";
    try {
      sim::Host host;
      sim::Document& document = host.newDocument();
      readDocument(path, document);
    } catch (const FileError& e) {
      message = e.what();
    }
    if (write(pipeEnds[1], message.data(), message.size()) < 0)
      _exit(2);
    _exit(0);
  }
  close(pipeEnds[1]);
  std::string message;
  char buffer[4096];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    message.append(buffer, static_cast<size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (peakMegabytes)
    *peakMegabytes = usage.ru_maxrss / 1024;
  if (!WIFEXITED(status))
    return "the reader did not finish (signal " + std::to_string(WTERMSIG(status)) + ")";
  return message;
}

} // namespace

TEST(HostileDocuments, APipeOrADeviceIsRefusedWithoutWaiting) {
  ScratchFolder dir;
  ASSERT_EQ(mkfifo(dir.file("pipe.bin").c_str(), 0600), 0);
  writeFile(dir.file("a.json"),
            kHead + R"("binary": {"file": "pipe.bin", "bytes": 0}, "objects": []})");
  EXPECT_NE(readInChild(dir.file("a.json")).find("pipe.bin: is not a regular file"),
            std::string::npos);
  ASSERT_EQ(symlink("/dev/zero", dir.file("zero.bin").c_str()), 0);
  writeFile(dir.file("b.json"),
            kHead + R"("binary": {"file": "zero.bin", "bytes": 0}, "objects": []})");
  // A link to a device: it leads out of the document's folder.
  EXPECT_NE(readInChild(dir.file("b.json")).find("names a file outside the folder"),
            std::string::npos);
  // The document itself is never read from a device or a pipe either.
  EXPECT_NE(readInChild("/dev/zero").find("/dev/zero: cannot open the file: is not a regular file"),
            std::string::npos);
  ASSERT_EQ(mkfifo(dir.file("pipe.json").c_str(), 0600), 0);
  EXPECT_NE(readInChild(dir.file("pipe.json"))
                .find("pipe.json: cannot open the file: is not a regular file"),
            std::string::npos);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__has_feature)
#define TOVALINDER_MEASURES_MEMORY 1
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define TOVALINDER_MEASURES_MEMORY 1
#endif
#endif

TEST(HostileDocuments, MemoryStaysWithinASmallMultipleOfTheData) {
#ifndef TOVALINDER_MEASURES_MEMORY
  GTEST_SKIP() << "the sanitizer's own memory hides the reader's";
#else
  // 30 MB of empty faces: ten million faces of 16 bytes each in the host's arrays.
  ScratchFolder dir;
  std::string text = kHead + R"("objects": [{"faces": {"points": [)";
  const size_t faces = 10000000;
  text.reserve(text.size() + faces * 3 + 16);
  for (size_t f = 0; f < faces; ++f)
    text += f ? ",[]" : "[]";
  text += "]}}]}";
  writeFile(dir.file("empty-faces.json"), text);
  long peak = 0;
  EXPECT_EQ(readInChild(dir.file("empty-faces.json"), &peak), "read");
  EXPECT_LT(peak, 600) << "megabytes for " << faces << " empty faces";
  std::printf("peak memory reading %zu empty faces (%zu MB of text): %ld MB\n", faces,
              text.size() >> 20, peak);
#endif
}

#endif
