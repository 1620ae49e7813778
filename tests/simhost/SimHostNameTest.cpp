// Names as a host with 250-byte name buffers keeps them: cut at 249 bytes on a UTF-8 character
// boundary, free names made within the limit, and the document's name and slot indexes giving
// the answers a plain scan of the slots gives.
#include "HostFunctions.h"
#include "SimHost.h"
#include "StrictHost.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

const std::string kJapanese = "\xE6\x97\xA5";  // 日, three bytes
const std::string kAccent = "\xC3\xA9";        // é, two bytes
const std::string kEmoji = "\xF0\x9F\x98\x80"; // four bytes

class SimHostNames : public testing_support::StrictHost {
protected:
  // The name the host keeps when an object of the document is given this one.
  std::string kept(const std::string& name) {
    sim::Object* object = document.addObject("x");
    EXPECT_EQ(MQObj_SetName(object->handle(), name.c_str()), 1);
    return object->name();
  }
  std::string unused(const std::string& proposal) {
    char buffer[250];
    MQDoc_GetUnusedObjectName(document.handle(), buffer, sizeof buffer, proposal.c_str());
    return buffer;
  }
  sim::Document& document = host.newDocument();
};

TEST_F(SimHostNames, LongNamesAreCutAt249Bytes) {
  for (size_t length : {248u, 249u, 250u, 600u}) {
    const std::string name(length, 'n');
    EXPECT_EQ(kept(name), name.substr(0, 249)) << length;
  }
  sim::Object* detached = host.objectFromHandle(MQObj_Clone(document.objectAt(0)->handle()));
  MQObj_SetName(detached->handle(), std::string(300, 'd').c_str());
  EXPECT_EQ(detached->name().size(), 249u) << "an object in no document keeps names alike";
}

TEST_F(SimHostNames, TheCutNeverSplitsACharacter) {
  // A character over bytes 247..249 (or 248..249, or 246..249) goes whole.
  EXPECT_EQ(kept(std::string(247, 'a') + kJapanese + "z"), std::string(247, 'a'));
  EXPECT_EQ(kept(std::string(248, 'a') + kAccent), std::string(248, 'a'));
  EXPECT_EQ(kept(std::string(246, 'a') + kEmoji), std::string(246, 'a'));
  // One that ends at byte 248 stays.
  EXPECT_EQ(kept(std::string(246, 'a') + kJapanese + "zz"), std::string(246, 'a') + kJapanese);
  // A whole name of three-byte characters keeps 83 of them (249 bytes).
  std::string japanese;
  for (int i = 0; i < 100; ++i)
    japanese += kJapanese;
  EXPECT_EQ(kept(japanese), japanese.substr(0, 249));
  // Bytes that are no UTF-8 (continuations without a lead) are cut where the limit falls.
  EXPECT_EQ(kept(std::string(300, '\x80')).size(), 249u);
}

TEST_F(SimHostNames, BackupOfA249ByteNameFitsAndNeverCollides) {
  const std::string name = "elem:" + std::string(239, 'm') + "-Body"; // 249 bytes
  document.addObject(name);
  const std::string first = unused("#" + name);
  EXPECT_EQ(first, ("#" + name).substr(0, 249)) << "the proposal cut to fit";
  // Given to an object, the answer is kept byte for byte; the next answer is another name.
  std::set<std::string> answers;
  for (int round = 0; round < 12; ++round) {
    const std::string answer = unused("#" + name);
    ASSERT_LE(answer.size(), 249u);
    EXPECT_EQ(document.findObject(answer), nullptr) << "a name the document has: " << answer;
    EXPECT_TRUE(answers.insert(answer).second) << "an earlier answer again: " << answer;
    EXPECT_EQ(kept(answer), answer);
  }
  // The number stays whole and the proposal gives way: ...2 to ...9 in 249 bytes, then ...10.
  EXPECT_TRUE(answers.count(("#" + name).substr(0, 248) + "2"));
  EXPECT_TRUE(answers.count(("#" + name).substr(0, 247) + "10"));
}

TEST_F(SimHostNames, ABackupWhoseCutFormIsTakenGetsANumber) {
  const std::string name = std::string(246, 'b') + kJapanese; // 249 bytes
  document.addObject(name);
  // The cut form of "#" + name drops the whole character; another object bears it already.
  document.addObject("#" + std::string(246, 'b'));
  const std::string backup = unused("#" + name);
  EXPECT_EQ(backup, "#" + std::string(246, 'b') + "2");
  // With the number, the cut again falls inside the character: it goes whole.
  document.addObject("#" + std::string(246, 'b') + "2");
  EXPECT_EQ(unused("#" + name), "#" + std::string(246, 'b') + "3");
  // A proposal whose first 249 bytes end in a whole character, taken: with the number's byte
  // the character no longer fits and goes whole.
  const std::string crowded = std::string(246, 'c') + kJapanese + "tail"; // character 246..248
  document.addObject(crowded.substr(0, 249));
  EXPECT_EQ(unused(crowded), std::string(246, 'c') + "2");
}

TEST_F(SimHostNames, NamesGivenThroughTheApiAreKeptAsGiven) {
  // A test or a file reader may build any document; the checker tells what a host would not hold.
  sim::Object* object = document.addObject(std::string(300, 'l'));
  EXPECT_EQ(object->name().size(), 300u);
  EXPECT_EQ(document.findObject(std::string(300, 'l')), object);
  EXPECT_EQ(unused(std::string(300, 'l')), std::string(249, 'l')) << "no object bears the cut";
}

// A plain scan of the slots: what the document's indexes must answer.
struct PlainScan {
  const sim::Document& document;
  sim::Object* find(const std::string& name) const {
    for (int s = 0; s < document.slotCount(); ++s)
      if (sim::Object* object = document.objectAt(s); object && object->name() == name)
        return object;
    return nullptr;
  }
  int indexOf(const sim::Object* object) const {
    for (int s = 0; s < document.slotCount(); ++s)
      if (document.objectAt(s) == object)
        return s;
    return -1;
  }
};

TEST_F(SimHostNames, IndexesAnswerAsAPlainScanThroughEveryKindOfChange) {
  std::mt19937 random(7);
  const auto pick = [&random](size_t count) { return size_t(random() % count); };
  const PlainScan scan{document};
  std::vector<sim::Object*> everAdded;
  const auto nameFor = [&pick]() { return "n" + std::to_string(pick(300)); };
  for (int step = 0; step < 4000; ++step) {
    const size_t kind = pick(10);
    sim::Object* some = everAdded.empty() ? nullptr : everAdded[pick(everAdded.size())];
    const bool live = some && host.objectFromHandle(some->handle()) && some->document();
    if (kind < 3 || !live) {
      everAdded.push_back(document.addObject(nameFor()));
    } else if (kind < 6) { // a clone placed after another object, as the command places it
      sim::Object* clone = host.objectFromHandle(MQObj_Clone(some->handle()));
      MQObj_SetName(clone->handle(), nameFor().c_str());
      ASSERT_EQ(MQDoc_InsertObject(document.handle(), clone->handle(), some->handle()),
                scan.indexOf(some) + 1);
      everAdded.push_back(clone);
    } else if (kind == 6) {
      document.deleteObject(scan.indexOf(some));
    } else if (kind == 7) {
      some->setName(nameFor()); // directly, as a test or a reader does
    } else if (kind == 8) {
      MQObj_SetName(some->handle(), nameFor().c_str());
    } else {
      document.addEmptySlot();
    }
    if (step % 250 == 0 || step > 3980) {
      for (int n = 0; n < 300; n += 7)
        ASSERT_EQ(document.findObject("n" + std::to_string(n)), scan.find("n" + std::to_string(n)))
            << "step " << step;
      for (sim::Object* object : everAdded)
        ASSERT_EQ(document.indexOf(object), scan.indexOf(object)) << "step " << step;
    }
  }
  EXPECT_GT(document.slotCount(), 1500) << "enough slots for the index to span many blocks";
  for (const std::string base : {"n1", "n2", "n30"}) {
    std::string expected = base;
    for (int n = 2; scan.find(expected); ++n)
      expected = base + std::to_string(n);
    EXPECT_EQ(unused(base), expected);
  }
}

} // namespace
