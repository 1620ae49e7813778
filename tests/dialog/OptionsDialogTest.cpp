// The options dialog over the simulated host's widgets, called directly: what OK writes into the
// settings record, what Cancel leaves alone, and the closing message box of the command.
#include "../command/WidgetTree.h"
#include "SimHost.h"
#include "SimWidgets.h"
#include "dialog/DialogOptions.h"
#include "dialog/RunOptionsDialog.h"
#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/TransferSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* caption(bool TransferSettings::*field) {
  return dialog::optionFor(field)->caption;
}

class OptionsDialog : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
    host.makeCurrent();
    host.setStrict(true);
    host.setEventDocument(document.handle());
    transferSettings() = TransferSettings();
    plugin.document = document.handle();
    source = mesh("Body", 4, 1);
    mesh("elem:a-Body", 4);
    mesh("elem:b-Body", 4)->locked = 1;
    mesh("elem:c-Body", 3);
    mesh("Body2", 5, 1);
    ASSERT_EQ(plugin.selectSourceAndDestination(), 1);
    plugin.rebuildCandidates(true, true);
  }
  void TearDown() override {
    for (const std::string& misuse : host.misuses())
      ADD_FAILURE() << "host misuse: " << misuse;
    for (const std::string& failure : host.scriptFailures())
      ADD_FAILURE() << "script: " << failure;
    EXPECT_EQ(host.liveWidgets(), std::vector<int>{sim::kMainWindowId});
    transferSettings() = TransferSettings();
  }

  sim::Object* mesh(const std::string& name, int vertices, int selected = 0) {
    sim::Object* object = document.addObject(name);
    for (int i = 0; i < vertices; ++i)
      object->addVertex(static_cast<float>(i), 0, 0);
    object->selected = selected;
    return object;
  }

  bool run(const sim::UserScript& script) {
    host.queueModalScript(script);
    return RunOptionsDialog(&plugin);
  }

  std::vector<bool> selectedFlags() const {
    std::vector<bool> flags;
    for (const CandidateEntry& entry : transferSettings().candidates)
      flags.push_back(entry.selected);
    return flags;
  }

  sim::Host host; // each test's own
  sim::Document& document = host.newDocument();
  Tovalinder plugin;
  sim::Object* source = nullptr;
};

// The option flags in record order, as one text: 1 set, 0 clear.
std::string flags(const TransferSettings& s) {
  const bool all[] = {s.keepObjectNames,    s.useUniqueIds,    s.selectedVerticesOnly,
                      s.morphAddedVertices, s.mirrorMorph,     s.createBackupElements,
                      s.renameNewElements,  s.copyCoordinates, s.copyWeights,
                      s.copyMaterials,      s.copyUvs,         s.copyEdges};
  std::string text;
  for (bool flag : all)
    text += flag ? '1' : '0';
  return text;
}

const std::string kInitialFlags = "010101011111";

TEST_F(OptionsDialog, OkWritesTheInitialStates) {
  EXPECT_TRUE(run(sim::UserScript().clickButton(dialog::kOkCaption)));
  const TransferSettings& s = transferSettings();
  EXPECT_EQ(flags(s), kInitialFlags);
  EXPECT_TRUE(s.accepted);
  EXPECT_EQ(s.rate, 1.0f);
  EXPECT_EQ(selectedFlags(), (std::vector<bool>{true, false}));
}

TEST_F(OptionsDialog, RateTextsAsTheUserTypesThem) {
  const std::pair<const char*, float> cases[] = {
      {"100", 1.0f},   {"50", 0.5f},  {"150", 1.5f}, {"-20", static_cast<float>(-0.2)},
      {"12.5", .125f}, {"1e2", 1.0f}, {"", 0.0f},    {"0", 0.0f}};
  for (const auto& [text, rate] : cases) {
    transferSettings().rate = 42.0f;
    EXPECT_TRUE(
        run(sim::UserScript().typeText(dialog::kRateLabel, text).clickButton(dialog::kOkCaption)));
    EXPECT_EQ(transferSettings().rate, rate) << '"' << text << '"';
  }
}

TEST_F(OptionsDialog, EachAltKeyFlipsItsOption) {
  const std::pair<int, int> keys[] = {{'Q', 0}, {'G', 1}, {'S', 2}, {'A', 3},
                                      {'T', 4}, {'X', 5}, {'N', 6}};
  for (const auto& [key, position] : keys) {
    EXPECT_TRUE(run(sim::UserScript().pressKey(key, sim::kAlt).clickButton(dialog::kOkCaption)));
    std::string expected = kInitialFlags;
    expected[static_cast<size_t>(position)] =
        expected[static_cast<size_t>(position)] == '1' ? '0' : '1';
    EXPECT_EQ(flags(transferSettings()), expected) << "Alt+" << static_cast<char>(key);
  }
}

TEST_F(OptionsDialog, AttributeBoxesAreClickedOnly) {
  EXPECT_TRUE(run(sim::UserScript()
                      .clickCheckBox(caption(&TransferSettings::copyCoordinates))
                      .clickCheckBox(caption(&TransferSettings::copyWeights))
                      .clickCheckBox(caption(&TransferSettings::copyEdges))
                      .clickCheckBox(caption(&TransferSettings::renameNewElements))
                      .clickButton(dialog::kOkCaption)));
  EXPECT_EQ(flags(transferSettings()), "010101100110");
  EXPECT_TRUE(run(sim::UserScript()
                      .clickCheckBox(caption(&TransferSettings::copyMaterials))
                      .clickCheckBox(caption(&TransferSettings::copyUvs))
                      .clickButton(dialog::kOkCaption)));
  EXPECT_EQ(flags(transferSettings()), "010101011001");
}

TEST_F(OptionsDialog, CancelAndCloseWriteNothing) {
  TransferSettings& s = transferSettings();
  s.keepObjectNames = true;
  s.useUniqueIds = false;
  s.copyUvs = true;
  s.rate = 3.0f;
  s.candidates[0].selected = false;
  s.candidates[1].selected = true;
  const std::string before = flags(s);
  EXPECT_FALSE(run(sim::UserScript()
                       .clickButton(dialog::kSelectAllCaption)
                       .typeText(dialog::kRateLabel, "7")
                       .clickButton(dialog::kCancelCaption)));
  EXPECT_FALSE(run(sim::UserScript().pressKey('Q', sim::kAlt).closeWindow()));
  EXPECT_EQ(flags(s), before);
  EXPECT_FALSE(s.accepted);
  EXPECT_EQ(s.rate, 3.0f);
  EXPECT_EQ(selectedFlags(), (std::vector<bool>{false, true}));
}

TEST_F(OptionsDialog, AFilterChangeInACancelledDialogStillReplacesTheList) {
  EXPECT_FALSE(run(sim::UserScript().pressKey('V', sim::kAlt).clickButton(dialog::kCancelCaption)));
  EXPECT_EQ(transferSettings().candidates.size(), 3u) << "elem:c-Body joins";
  EXPECT_EQ(selectedFlags(), (std::vector<bool>{true, false, true}));
}

TEST_F(OptionsDialog, ListSelectionIsWrittenBackInListOrder) {
  EXPECT_TRUE(run(sim::UserScript().toggleItem(0).toggleItem(1).clickButton(dialog::kOkCaption)));
  EXPECT_EQ(selectedFlags(), (std::vector<bool>{false, true}));
}

TEST_F(OptionsDialog, AnEmptyListStillScrollsToTheFirstItemAndWritesNoSelection) {
  source->setName("Nobody");
  plugin.rebuildCandidates(true, true);
  ASSERT_TRUE(transferSettings().candidates.empty());
  EXPECT_TRUE(run(sim::UserScript()
                      .inspect([this](int dialog) {
                        std::vector<sim::Widget> lists =
                            session::widgetsOfType(host, dialog, "listbox");
                        ASSERT_EQ(lists.size(), 1u);
                        EXPECT_TRUE(lists[0].items.empty());
                        EXPECT_EQ(lists[0].visibleItem, 0);
                      })
                      .pressKey('Z', sim::kAlt)
                      .pressKey('C', sim::kAlt)
                      .clickButton(dialog::kOkCaption)));
  EXPECT_TRUE(transferSettings().candidates.empty());
}

TEST_F(OptionsDialog, EachRunStartsFromAResetAndEndsWithItsOwnLists) {
  // What an earlier run left behind.
  plugin.faceAttributesSkipped = true;
  plugin.elements = {cmq::objectAt(document.handle(), 1)};
  plugin.newElements = plugin.elements;
  plugin.vertexMap.insert(1, 2);
  transferSettings().accepted = true;

  host.queueModalScript(sim::UserScript().clickButton(dialog::kCancelCaption));
  EXPECT_EQ(plugin.runCommand(), 1);
  EXPECT_TRUE(plugin.elements.empty());
  EXPECT_TRUE(plugin.newElements.empty());
  EXPECT_TRUE(plugin.vertexMap.empty());
  EXPECT_FALSE(plugin.faceAttributesSkipped);
  EXPECT_FALSE(transferSettings().accepted);
  EXPECT_EQ(transferSettings().candidates.size(), 2u) << "a cancelled run keeps its list";
  EXPECT_TRUE(host.messageBoxes().empty());

  host.queueModalScript(sim::UserScript().clickButton(dialog::kOkCaption));
  EXPECT_EQ(plugin.runCommand(), 1);
  EXPECT_TRUE(transferSettings().accepted);
  EXPECT_TRUE(transferSettings().candidates.empty()) << "consumed by the collection";
  ASSERT_EQ(plugin.elements.size(), 1u);
  EXPECT_EQ(host.objectFromHandle(plugin.elements[0].object)->name(), "#elem:a-Body");
  EXPECT_TRUE(host.messageBoxes().empty());
  host.freeDetachedObjects();
}

TEST(ClosingMessage, ShownOnlyWhenFacesWereSkipped) {
  ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
  sim::Host host;
  host.setStrict(true);
  Tovalinder plugin;
  plugin.reportSkippedFaces();
  EXPECT_TRUE(host.messageBoxes().empty());
  plugin.faceAttributesSkipped = true;
  plugin.reportSkippedFaces();
  ASSERT_EQ(host.messageBoxes().size(), 1u);
  const sim::MessageBoxRecord box = host.messageBoxes()[0];
  EXPECT_EQ(box.messageType, "information");
  EXPECT_EQ(box.parent, sim::kMainWindowId);
  EXPECT_EQ(box.title, "Tovalinder");
  EXPECT_EQ(box.message, "Attributes of some faces were not copied.");
  EXPECT_TRUE(host.misuses().empty());
  EXPECT_EQ(host.liveWidgets(), std::vector<int>{sim::kMainWindowId});
}

} // namespace
