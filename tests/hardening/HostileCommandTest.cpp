// The whole command, run by the real plug-in binary through its entry point with a scripted
// user, against the simulated host in every hostile mode and on hostile documents: it always
// completes (TRUE), never goes past what the host answered (strict mode), leaves no clone
// behind, leaves a document the checker finds sound, and where the hostile answers still carry the
// real content its results are those of an ordinary host, bit for bit.
#include "CommandCheck.h"
#include "MorphScene.h"
#include "PluginUnderTest.h"
#include "SimHost.h"
#include "SimHostile.h"
#include "SimWidgets.h"
#include "dialog/DialogOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif
#include <functional>

using testing_support::PluginUnderTest;

namespace {

const char* const kUniqueIds = dialog::optionFor(&TransferSettings::useUniqueIds)->caption;
const char* const kMirror = dialog::optionFor(&TransferSettings::mirrorMorph)->caption;
const char* const kBackups = dialog::optionFor(&TransferSettings::createBackupElements)->caption;
const char* const kElementsOnly = dialog::optionForKey('E')->caption;

// One way of working the dialog: the options a modeler changes before OK.
struct Choice {
  const char* name;
  std::vector<const char*> checkBoxes;
};

const std::vector<Choice>& choices() {
  static const std::vector<Choice> list = {
      {"defaults", {}},
      {"by position", {kUniqueIds}},
      {"mirrored by position, no backups", {kUniqueIds, kMirror, kBackups}},
  };
  return list;
}

sim::UserScript scriptFor(const Choice& choice) {
  sim::UserScript script;
  for (const char* box : choice.checkBoxes)
    script.clickCheckBox(box);
  script.clickButton(dialog::kOkCaption);
  return script;
}

class HostileCommand : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.complete());
    ASSERT_TRUE(plugin.initWithSimHost());
    host.makeCurrent();
    host.setStrict(true);
  }

  // Runs the command on a fresh scene (shaped by `shape`) and answers its final text; fails the
  // test on a misuse, a clone left outside the document or a script that did not play out.
  std::string run(const std::string& label, const sim::UserScript& script, bool dialogExpected,
                  const std::function<void(sim::Document&)>& shape = {}) {
    sim::Document& document = host.newDocument();
    hardening::buildMorphScene(document);
    if (shape)
      shape(document);
    host.setEventDocument(document.handle());
    host.queueModalScript(script);
    const testing_support::CommandCheck check(document);
    EXPECT_EQ(plugin.entry.MQModifyObject(0, document.handle()), 1) << label;
    host.setEventDocument(nullptr);
    for (const std::string& finding : check.findings())
      ADD_FAILURE() << label << ": document check: " << finding;
    const std::vector<std::string> misuses = host.misuses();
    EXPECT_TRUE(misuses.empty()) << label << ": " << misuses.front() << " (" << misuses.size()
                                 << " misuses)";
    EXPECT_TRUE(host.detachedObjects().empty()) << label << ": a clone was left outside";
    EXPECT_EQ(host.modalRuns().size(), dialogExpected ? 1u : 0u) << label;
    const std::vector<std::string> failures = host.scriptFailures();
    EXPECT_TRUE(failures.empty()) << label << ": " << failures.front();
    if (!dialogExpected) {
      EXPECT_EQ(host.queuedModalScripts(), 1) << label << ": the script was not played";
    }
    host.clearWidgetRecords();
    host.clearMisuses();
    return sim::describe(document);
  }

  sim::Host host; // each test's own
  PluginUnderTest plugin;
};

std::string ordinaryScene() {
  sim::Host host;
  sim::Document& document = host.newDocument();
  hardening::buildMorphScene(document);
  return sim::describe(document);
}

// The vertex lines of a document text (positions, IDs, weights): what the vertex pass wrote.
std::string vertexLines(const std::string& text) {
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    if (line.rfind("slot", 0) == 0 || line.rfind(" v", 0) == 0)
      out += line + "\n";
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return out;
}

TEST_F(HostileCommand, EveryModeEveryChoiceCompletesWithinTheAnswers) {
  int runs = 0;
  for (const Choice& choice : choices()) {
    const std::string ordinary = run(choice.name, scriptFor(choice), true);
    EXPECT_NE(ordinary, ordinaryScene()) << choice.name << ": the ordinary run changes the scene";
    for (sim::Hostile mode : sim::hostileModes()) {
      const std::string label = std::string(sim::hostileName(mode)) + ", " + choice.name;
      // Without objects or with a count of none the command finds no selection: no dialog.
      const bool dialog = mode != sim::Hostile::NegativeCounts &&
                          mode != sim::Hostile::ZeroCounts && mode != sim::Hostile::NullObjects;
      host.setHostile(mode);
      const std::string result = run(label, scriptFor(choice), dialog);
      host.setHostile(sim::Hostile::None);
      if (!dialog) {
        EXPECT_EQ(result, ordinaryScene()) << label << ": nothing changes";
      }
      // Fills that deliver the real content give the ordinary vertex pass, bit for bit.
      if (mode == sim::Hostile::CountShrinksBeforeFill || mode == sim::Hostile::HugeArrayCounts) {
        EXPECT_EQ(vertexLines(result), vertexLines(ordinary)) << label;
      }
      ++runs;
      if (HasFailure())
        return;
    }
  }
  std::printf("hostile command runs: %d (%zu modes x %zu dialog choices)\n", runs,
              sim::hostileModes().size(), choices().size());
}

TEST_F(HostileCommand, HostileGeometryCompletes) {
  const std::vector<std::pair<const char*, std::function<void(sim::Document&)>>> shapes = {
      {"non-finite positions",
       [](sim::Document& d) {
         for (sim::Object* object : d.objects())
           sim::makePositionsNonFinite(*object);
       }},
      {"non-finite Source element only",
       [](sim::Document& d) { sim::makePositionsNonFinite(*d.objectAt(1)); }},
      {"degenerate faces",
       [](sim::Document& d) {
         for (sim::Object* object : d.objects())
           sim::addDegenerateFaces(*object);
       }},
      {"degenerate faces on the Destination only",
       [](sim::Document& d) { sim::addDegenerateFaces(*d.objectAt(2)); }},
      {"empty slots between",
       [](sim::Document& d) {
         d.addEmptySlot();
         d.deleteObject(3);
       }},
  };
  for (const auto& shape : shapes)
    for (const Choice& choice : choices())
      run(std::string(shape.first) + ", " + choice.name, scriptFor(choice), true, shape.second);
}

TEST_F(HostileCommand, ObjectsDeletedWhileTheDialogIsOpen) {
  sim::Document* current = nullptr;
  std::string afterDeletion;
  auto deleteSlots = [&current, &afterDeletion](std::vector<int> slots) {
    return [&current, &afterDeletion, slots](int) {
      for (int slot : slots)
        current->deleteObject(slot);
      afterDeletion = sim::describe(*current);
    };
  };
  struct Case {
    const char* name;
    std::vector<int> slots;
    bool refilter;
  };
  // Slot 0 Source, 1 picked element, 2 Destination, 3 locked element.
  const std::vector<Case> cases = {
      {"the picked element", {1}, false},
      {"the picked element, then a list filter change", {1}, true},
      {"the Destination", {2}, false},
      {"the Source", {0}, false},
      {"Source and Destination, then a list filter change", {0, 2}, true},
      {"everything", {0, 1, 2, 3}, false},
  };
  for (const Case& c : cases)
    for (const Choice& choice : choices()) {
      sim::UserScript script;
      script.inspect(deleteSlots(c.slots));
      if (c.refilter)
        script.clickCheckBox(kElementsOnly).clickCheckBox(kElementsOnly);
      for (const char* box : choice.checkBoxes)
        script.clickCheckBox(box);
      script.clickButton(dialog::kOkCaption);
      const std::string label = std::string(c.name) + " deleted, " + choice.name;
      const std::string result =
          run(label, script, true, [&current](sim::Document& d) { current = &d; });
      const bool sourceOrDestinationGone =
          std::find(c.slots.begin(), c.slots.end(), 0) != c.slots.end() ||
          std::find(c.slots.begin(), c.slots.end(), 2) != c.slots.end();
      // Without its Source or Destination the run stops: the document stays as the host left it.
      if (sourceOrDestinationGone) {
        EXPECT_EQ(result, afterDeletion) << label;
      } else {
        // The deleted element gets no successor; the names are still exchanged.
        EXPECT_EQ(result.find("name=elem:Smile-Body"), std::string::npos) << label;
        EXPECT_NE(result.find("name=#Body"), std::string::npos) << label;
      }
    }
}

} // namespace

namespace {

// A host count so large that the plug-in's buffer for it cannot be had: the allocation fails,
// the command ends at the entry point's barrier without anything escaping into the host, the
// document keeps what the steps so far made of it (whole objects in the document, no clone
// left outside, no dialog left open), and the next run works as ever. The address-space limit
// makes the allocation fail at once instead of taking the machine's memory; the sanitizers
// reserve address space of their own and end the process on a failed allocation, so the test
// runs on the plain Linux build.
#if defined(__SANITIZE_ADDRESS__)
#define HARDENING_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HARDENING_SANITIZED 1
#endif
#endif

#if defined(__linux__) && !defined(HARDENING_SANITIZED)
// Limits the address space to what is in use plus a margin, for the life of the scope.
class AddressSpaceLimit {
public:
  explicit AddressSpaceLimit(size_t margin) {
    getrlimit(RLIMIT_AS, &saved_);
    size_t pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%zu", &pages) != 1)
        pages = 0;
      std::fclose(statm);
    }
    rlimit limited = saved_;
    limited.rlim_cur = pages * size_t(sysconf(_SC_PAGESIZE)) + margin;
    active_ = pages > 0 && setrlimit(RLIMIT_AS, &limited) == 0;
  }
  ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &saved_); }
  bool active() const { return active_; }

private:
  rlimit saved_{};
  bool active_ = false;
};
#endif

TEST_F(HostileCommand, FailedAllocationEndsTheCommandCleanly) {
#if defined(__linux__) && !defined(HARDENING_SANITIZED)
  host.setHugeCount(INT_MAX);
  sim::Document& document = host.newDocument();
  hardening::buildMorphScene(document);
  host.setEventDocument(document.handle());
  host.queueModalScript(scriptFor(choices()[1]));
  const testing_support::CommandCheck check(document);
  MQBOOL result = 1;
  {
    AddressSpaceLimit limit(size_t(1) << 30);
    ASSERT_TRUE(limit.active());
    host.setHostile(sim::Hostile::HugeArrayCounts);
    result = plugin.entry.MQModifyObject(0, document.handle());
    host.setHostile(sim::Hostile::None);
  }
  host.setHugeCount(65536);
  EXPECT_EQ(result, 0) << "the barrier answers the refusal";
  for (const std::string& finding : check.findings())
    ADD_FAILURE() << "document check after the failure: " << finding;
  EXPECT_TRUE(host.misuses().empty()) << host.misuses().front();
  EXPECT_TRUE(host.detachedObjects().empty());
  EXPECT_EQ(host.liveWidgets().size(), 1u) << "the dialog is gone";
  EXPECT_EQ(host.modalRuns().size(), 1u);
  host.clearWidgetRecords();
  // The plug-in is still sound: the same run on a fresh scene gives the ordinary result.
  const std::string ordinary = run("after the failure", scriptFor(choices()[1]), true);
  EXPECT_NE(ordinary, ordinaryScene());
#else
  GTEST_SKIP() << "needs the plain Linux build";
#endif
}

} // namespace
