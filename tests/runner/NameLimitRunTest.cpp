// Names at the host's 249-byte limit through the whole path: a document whose element names fill
// the limit (with the cut of a backup name falling inside a character, or onto a name the
// document has), read, run through the real plug-in, checked, written and read back; and a run
// whose result the document checker refuses writes nothing.
#include "DocumentFile.h"
#include "PluginUnderTest.h"
#include "RunnerTestSupport.h"
#include "TransferRun.h"

#include <gtest/gtest.h>

#include <set>

using namespace runner;
using namespace runner_test;

namespace {

const std::string kJapanese = "\xE6\x97\xA5"; // 日, three bytes

// A quad named `name`, its vertex 0 lifted by `lift`.
std::string quad(const std::string& name, float lift, bool selected) {
  return "{\"name\": \"" + name + "\", \"selected\": " + (selected ? "true" : "false") +
         ", \"vertices\": {\"positions\": [[0,0," + std::to_string(lift) +
         "],[1,0,0],[1,1,0],[0,1,0]]}, \"faces\": {\"points\": [[0,1,2,3]]}}";
}

std::string document(const std::vector<std::string>& objects) {
  std::string text = "{\"format\": \"tovalinder-document\", \"version\": 1, \"objects\": [";
  for (size_t k = 0; k < objects.size(); ++k)
    text += (k ? ",\n" : "\n") + objects[k];
  return text + "]}";
}

// Whether a name ends in a whole UTF-8 character.
bool endsWhole(const std::string& name) {
  size_t start = name.size();
  while (start > 0 && (static_cast<unsigned char>(name[start - 1]) & 0xC0) == 0x80)
    --start;
  if (start == name.size())
    return true;
  const unsigned char lead = static_cast<unsigned char>(name[start - 1]);
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return name.size() - (start - 1) == length;
}

class NameLimitRun : public ::testing::Test {
protected:
  NameLimitRun() : plugin_(testing_support::pluginFile()) {}
  void SetUp() override { ASSERT_TRUE(plugin_.start(sim::moduleFileName())) << plugin_.error(); }

  // Reads the document, runs the command with its defaults, writes and reads the result back;
  // the names of the document read back.
  std::vector<std::string> runAndReadBack(const std::string& text, TransferRequest request = {}) {
    writeFile(dir_.file("in.json"), text);
    sim::Host host;
    sim::Document& input = host.newDocument();
    readDocument(dir_.file("in.json"), input);
    TransferOutcome outcome;
    runTransfer(plugin_, input, request, outcome);
    EXPECT_TRUE(outcome.hostMisuses.empty()) << outcome.hostMisuses.front();
    writeDocument(dir_.file("out.json"), input, DataLayout::Readable);
    sim::Document& output = host.newDocument();
    readDocument(dir_.file("out.json"), output);
    std::vector<std::string> names;
    for (const sim::Object* object : output.objects())
      names.push_back(object->name());
    EXPECT_EQ(describe(input), describe(output)) << "the document reads back as written";
    return names;
  }
  static std::string describe(const sim::Document& document) { return sim::describe(document); }

  ScratchFolder dir_;
  PluginModule plugin_;
};

TEST_F(NameLimitRun, ElementNamesAtTheLimitWriteAndReadBack) {
  // "elem:" + morph + "-A" in 249 bytes, the morph ending in Japanese so that the backup's cut
  // falls inside a character.
  const std::string morph = std::string(233, 'm') + kJapanese + kJapanese + kJapanese;
  const std::string element = "elem:" + morph + "-A";
  ASSERT_EQ(element.size(), 249u);
  const std::vector<std::string> names = runAndReadBack(
      document({quad("A", 0, true), quad(element, 0.5f, false), quad("B", 0, true)}));
  const std::string backup = ("#" + element).substr(0, 249);
  EXPECT_EQ(names, (std::vector<std::string>{"#A", backup, element, "A"}));
  for (const std::string& name : names) {
    EXPECT_LE(name.size(), 249u);
    EXPECT_TRUE(endsWhole(name)) << name;
  }
}

TEST_F(NameLimitRun, ABackupWhoseCutIsTakenIsNumberedAndEveryNameStaysOne) {
  const std::string element = "elem:" + std::string(240, 'm') + "-" + kJapanese; // 249 bytes
  const std::string base = kJapanese;
  const std::string cut = "#elem:" + std::string(240, 'm') + "-"; // "#" + element, cut whole
  const std::vector<std::string> names = runAndReadBack(document(
      {quad(base, 0, true), quad(element, 0.5f, false), quad(cut, 0, false), quad("B", 0, true)}));
  ASSERT_EQ(names.size(), 5u);
  EXPECT_EQ(names[1], cut + "2") << "the cut form is taken: numbered, the character still out";
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size())
      << "no two objects share a name";
}

TEST_F(NameLimitRun, ANameTheCheckerFindsSharedStopsTheRunBeforeAnythingIsWritten) {
  // With "rename new elements" the new element's name is made longer than the host keeps; the
  // host's cut of it is a name the document already has.
  const std::string element = "elem:" + std::string(242, 'm') + "-A"; // 249 bytes
  const std::string taken = ("elem:" + std::string(242, 'm') + "new1-A").substr(0, 249);
  writeFile(dir_.file("in.json"), document({quad("A", 0, true), quad(element, 0.5f, false),
                                            quad(taken, 0, false), quad("B", 0, true)}));
  sim::Host host;
  sim::Document& input = host.newDocument();
  readDocument(dir_.file("in.json"), input);
  TransferRequest request;
  request.dialog.options[dialog::optionIndex(&TransferSettings::renameNewElements)] = true;
  TransferOutcome outcome;
  try {
    runTransfer(plugin_, input, request, outcome);
    FAIL() << "the run went through with two objects of one name";
  } catch (const RunError& e) {
    EXPECT_EQ(e.code, kExitFailure);
    EXPECT_NE(std::string(e.what()).find("name also borne by slot"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("nothing was written"), std::string::npos);
  }
  EXPECT_EQ(dir_.listing(), "in.json");
}

} // namespace
