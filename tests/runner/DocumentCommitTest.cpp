// Writing a document is one commit: whatever happens at any step of a write (a failure as on a
// full disk, a kill, another writer at the same time), the output name holds the old document
// or the new one, whole, and what an interrupted write leaves is cleared by the next write.
#include "CommitTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace runner;
using namespace runner_test;

namespace {

struct LayoutPair {
  DataLayout before, after;
};
const LayoutPair kLayoutPairs[] = {{DataLayout::SideFile, DataLayout::SideFile},
                                   {DataLayout::Readable, DataLayout::SideFile},
                                   {DataLayout::SideFile, DataLayout::Base64},
                                   {DataLayout::Base64, DataLayout::Readable}};

} // namespace

TEST(DocumentCommit, AFailureAtAnyStepKeepsTheOldDocumentWhole) {
  const Variants v;
  for (const LayoutPair& layouts : kLayoutPairs) {
    for (int k = 1;; ++k) {
      ScratchFolder dir;
      const std::string out = dir.file("out.json");
      writeDocument(out, v.a, layouts.before);
      int steps = 0;
      std::string failedStep;
      setWriteStepHook([&](const std::string& step) {
        if (++steps != k)
          return 0;
        failedStep = step;
        return ENOSPC;
      });
      std::string message;
      try {
        writeDocument(out, v.b, layouts.after);
      } catch (const FileError& e) {
        message = e.what();
      }
      setWriteStepHook(nullptr);
      if (failedStep.empty())
        break; // past the last step
      SCOPED_TRACE("failed at step " + std::to_string(k) + ": " + failedStep);
      if (!message.empty()) {
        EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
        EXPECT_EQ(loaded(out), v.describedA);
        EXPECT_EQ(strays(dir, "out.json"), "");
      } else {
        EXPECT_EQ(loaded(out), v.describedB); // housekeeping after the commit failed: no error
      }
      writeDocument(out, v.c, DataLayout::SideFile);
      EXPECT_EQ(loaded(out), v.describedC);
      EXPECT_EQ(strays(dir, "out.json"), "");
      EXPECT_EQ(dir.listing(), "out.json " + sideFileName(out));
    }
  }
}

TEST(DocumentCommit, TheSameDocumentWrittenTwiceIsTheSameFiles) {
  const Variants v;
  ScratchFolder dir;
  const std::string out = dir.file("out.json");
  writeDocument(out, v.b, DataLayout::SideFile);
  const std::string listing = dir.listing(), text = readFile(out);
  writeDocument(out, v.b, DataLayout::SideFile);
  EXPECT_EQ(dir.listing(), listing);
  EXPECT_EQ(readFile(out), text);
  // Other data: another side file, and the old one gone.
  writeDocument(out, v.a, DataLayout::SideFile);
  EXPECT_NE(dir.listing(), listing);
  EXPECT_EQ(dir.listing(), "out.json " + sideFileName(out));
  writeDocument(out, v.a, DataLayout::Readable);
  EXPECT_EQ(dir.listing(), "out.json");
}

TEST(DocumentCommit, AnotherDocumentsSideFileIsNeverTaken) {
  const Variants v;
  ScratchFolder dir;
  const std::string out = dir.file("out.json");
  // A document renamed after it was written keeps the side file it names.
  writeDocument(out, v.a, DataLayout::SideFile);
  std::filesystem::rename(out, dir.file("kept.json"));
  writeDocument(out, v.b, DataLayout::SideFile);
  writeDocument(out, v.c, DataLayout::Readable);
  EXPECT_EQ(loaded(dir.file("kept.json")), v.describedA);
  EXPECT_EQ(loaded(out), v.describedC);
  // A document whose side file has the name of the earlier rule (NAME.bin) still reads; a write
  // over it leaves that file, which another document may share.
  writeDocument(dir.file("old.json"), v.b, DataLayout::SideFile);
  const std::string side = referencedSideFile(dir.file("old.json"));
  std::filesystem::rename(side, dir.file("old.bin"));
  std::string text = readFile(dir.file("old.json"));
  const std::string name = std::filesystem::path(side).filename().string();
  text.replace(text.find(name), name.size(), "old.bin");
  writeFile(dir.file("old.json"), text);
  EXPECT_EQ(loaded(dir.file("old.json")), v.describedB);
  writeDocument(dir.file("old.json"), v.a, DataLayout::SideFile);
  EXPECT_EQ(loaded(dir.file("old.json")), v.describedA);
  EXPECT_TRUE(exists(dir.file("old.bin")));
}

#ifndef _WIN32
TEST(DocumentCommit, AFileNameThatIsNotUtf8StillNamesItsSideFile) {
  const Variants v;
  ScratchFolder dir;
  const std::string out = dir.file("caf\xE9.json"); // Latin-1, as an old system may name it
  writeDocument(out, v.b, DataLayout::SideFile);
  EXPECT_EQ(loaded(out), v.describedB);
  EXPECT_EQ(sideFileName(out).rfind("caf_.json.", 0), 0u) << sideFileName(out);
}
#endif
