// A modeler's sessions with the command, end to end: select Source and Destination, open the
// dialog, work it, and compare the document with what the modeler expects, byte for byte.
#include "SessionFixture.h"

#include <clocale>

namespace {

using session::addBody;
using session::addTriangle;
using session::listItems;
using session::Look;
using session::nameFields;
using Items = std::vector<std::string>;
using Texts = std::vector<std::u16string>;

const MQDWORD kShown = 0xFFFFFFFFu;
const std::string kKeepNames = session::caption(&TransferSettings::keepObjectNames);
const std::string kBackup = session::caption(&TransferSettings::createBackupElements);
const std::string kElementsOnly = session::filterCaption('E');
const std::string kSameCount = session::filterCaption('V');
const char* const kSelectAll = dialog::kSelectAllCaption;
const char* const kInvert = dialog::kInvertSelectionCaption;

class Command : public session::Session {
protected:
  // Body with three morphs (blink hidden, angry locked), an unrelated Head, and Body2: the
  // edited copy with vertex 4 lifted. Source and Destination are selected.
  void standardScene() {
    addBody(document, "Body", 0, Look{0, kShown, 0, 1});
    addBody(document, "elem:smile-Body", 0, Look{1});
    addBody(document, "elem:blink-Body", 0, Look{1, 0});
    addBody(document, "elem:angry-Body", 0, Look{1, kShown, 1});
    addTriangle(document, "Head");
    addBody(document, "Body2", 0.5f, Look{0, kShown, 0, 1});
  }

  // A new element as the modeler expects it: the Destination's mesh, the old element's depth
  // and visibility, not selected.
  static void expectNewElement(sim::Document& expected, const std::string& name, Look old,
                               float lift = 0.5f) {
    addBody(expected, name, lift, Look{old.depth, old.visible, 0, 0});
  }

  void expectDocument(const sim::Document& expected) {
    EXPECT_EQ(describe(), sim::describe(expected));
  }
};

TEST_F(Command, NothingSelectedShowsNoDialogAndChangesNothing) {
  standardScene();
  document.objectAt(0)->selected = 0;
  document.objectAt(5)->selected = 0;
  const std::string before = describe();
  runCommandWithoutDialog();
  EXPECT_TRUE(host.modalRuns().empty());
  EXPECT_TRUE(host.widgetMessages().empty()) << "not even the main window is asked for";
  EXPECT_EQ(describe(), before);
}

TEST_F(Command, OkWithTheDefaultsMakesNewElementsBesideTheOldOnesAndExchangesNames) {
  standardScene();
  runCommand(sim::UserScript()
                 .inspect([this](int dialog) {
                   EXPECT_EQ(nameFields(host, dialog), (Texts{u"Body", u"Body2"}));
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"[elem:smile-Body]", "[elem:blink-Body]", "elem:angry-Body"}));
                 })
                 .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "#elem:smile-Body", 0, Look{1});
  expectNewElement(expected, "elem:smile-Body", Look{1});
  addBody(expected, "#elem:blink-Body", 0, Look{1, 0});
  expectNewElement(expected, "elem:blink-Body", Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  expectDocument(expected);
  EXPECT_TRUE(host.messageBoxes().empty()) << "every face was paired";
}

TEST_F(Command, OneSelectedObjectIsSourceAndDestinationAndKeepsItsName) {
  standardScene();
  document.objectAt(5)->selected = 0;
  runCommand(sim::UserScript()
                 .inspect([this](int dialog) {
                   EXPECT_EQ(nameFields(host, dialog), (Texts{u"Body", u"Body"}));
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"[elem:smile-Body]", "[elem:blink-Body]", "elem:angry-Body"}));
                 })
                 .pressKey(sim::kKeyEnter));

  sim::Document& expected = host.newDocument();
  addBody(expected, "Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "#elem:smile-Body", 0, Look{1});
  expectNewElement(expected, "elem:smile-Body", Look{1}, 0);
  addBody(expected, "#elem:blink-Body", 0, Look{1, 0});
  expectNewElement(expected, "elem:blink-Body", Look{1, 0}, 0);
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body2", 0.5f);
  expectDocument(expected);
}

TEST_F(Command, OnlyTheFirstTwoSelectedObjectsCount) {
  standardScene();
  addBody(document, "elem:wink-Body", 0, Look{1, kShown, 0, 1});
  runCommand(sim::UserScript()
                 .inspect([this](int dialog) {
                   EXPECT_EQ(nameFields(host, dialog), (Texts{u"Body", u"Body2"}));
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"[elem:smile-Body]", "[elem:blink-Body]", "elem:angry-Body",
                                    "[elem:wink-Body]"}));
                 })
                 .deselectItem("elem:smile-Body")
                 .deselectItem("elem:blink-Body")
                 .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "elem:smile-Body", 0, Look{1});
  addBody(expected, "elem:blink-Body", 0, Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  addBody(expected, "#elem:wink-Body", 0, Look{1, kShown, 0, 1});
  expectNewElement(expected, "elem:wink-Body", Look{1});
  expectDocument(expected);
}

TEST_F(Command, CancelAndClosingTheWindowChangeNothing) {
  standardScene();
  const std::string before = describe();
  runCommand(sim::UserScript()
                 .clickCheckBox(kBackup)
                 .pressKey('Q', sim::kAlt)
                 .deselectItem(0)
                 .typeText(dialog::kRateLabel, "50")
                 .clickButton(dialog::kCancelCaption));
  EXPECT_EQ(describe(), before);
  runCommand(
      sim::UserScript().clickCheckBox(kSameCount).selectItem("elem:angry-Body").closeWindow());
  EXPECT_EQ(describe(), before);
  runCommand(sim::UserScript().pressKey(sim::kKeyEscape));
  EXPECT_EQ(describe(), before);
  ASSERT_EQ(host.modalRuns().size(), 3u);
  EXPECT_EQ(host.modalRuns()[1].result, sim::kClosedResult);
}

TEST_F(Command, CancelAfterAnAcceptedRunChangesNothing) {
  standardScene();
  runCommand(sim::UserScript().clickCheckBox(kBackup).clickButton(dialog::kOkCaption));
  const std::string afterFirst = describe();
  runCommand(sim::UserScript().clickButton(kSelectAll).clickButton(dialog::kCancelCaption));
  EXPECT_EQ(describe(), afterFirst);
}

TEST_F(Command, OkWithNothingPickedOnlyExchangesTheNames) {
  standardScene();
  runCommand(sim::UserScript()
                 .clickButton(kInvert)
                 .inspect([this](int dialog) {
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"elem:smile-Body", "elem:blink-Body", "[elem:angry-Body]"}));
                 })
                 .toggleItem(2)
                 .clickCheckBox(kBackup)
                 .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "elem:smile-Body", 0, Look{1});
  addBody(expected, "elem:blink-Body", 0, Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  expectDocument(expected);
}

TEST_F(Command, OkWithNothingPickedAndNamesKeptChangesNothing) {
  standardScene();
  const std::string before = describe();
  runCommand(sim::UserScript()
                 .pressKey('C', sim::kAlt)
                 .pressKey('C', sim::kAlt)
                 .pressKey('C', sim::kAlt)
                 .deselectItem("elem:angry-Body")
                 .clickCheckBox(kKeepNames)
                 .clickButton(dialog::kOkCaption));
  EXPECT_EQ(describe(), before);
}

TEST_F(Command, WithoutBackupsOnlyTheNewElementsRemain) {
  standardScene();
  runCommand(sim::UserScript().pressKey('X', sim::kAlt).clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  expected.addEmptySlot();
  expectNewElement(expected, "elem:smile-Body", Look{1});
  expected.addEmptySlot();
  expectNewElement(expected, "elem:blink-Body", Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  expectDocument(expected);
}

TEST_F(Command, RenamedNewElementsSkipATakenName) {
  standardScene();
  addTriangle(document, "elem:smilenew1-Body");
  runCommand(sim::UserScript()
                 .inspect([this](int dialog) {
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"[elem:smile-Body]", "[elem:blink-Body]", "elem:angry-Body"}))
                       << "a different vertex count keeps the taken name off the list";
                 })
                 .pressKey('N', sim::kAlt)
                 .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "elem:smile-Body", 0, Look{1});
  expectNewElement(expected, "elem:smilenew2-Body", Look{1});
  addBody(expected, "elem:blink-Body", 0, Look{1, 0});
  expectNewElement(expected, "elem:blinknew1-Body", Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  addTriangle(expected, "elem:smilenew1-Body");
  expectDocument(expected);
}

TEST_F(Command, FilterChangesRebuildTheListAndForgetTheSelection) {
  standardScene();
  // The smile morph with one more, unused vertex: the vertex count filter keeps it off the list.
  const auto addWideElement = [](sim::Document& in, const std::string& name) {
    addBody(in, name, 0)->addVertex(9, 9, 9);
  };
  addWideElement(document, "elem:wide-Body");
  runCommand(sim::UserScript()
                 .deselectItem("elem:smile-Body")
                 .clickCheckBox(kSameCount)
                 .inspect([this](int dialog) {
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"[elem:smile-Body]", "[elem:blink-Body]", "elem:angry-Body",
                                    "[elem:wide-Body]"}));
                 })
                 .pressKey('E', sim::kAlt)
                 .inspect([this](int dialog) {
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"[elem:smile-Body]", "[elem:blink-Body]", "elem:angry-Body",
                                    "[Head]", "[elem:wide-Body]"}));
                 })
                 .pressKey('V', sim::kAlt)
                 .inspect([this](int dialog) {
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"[elem:smile-Body]", "[elem:blink-Body]", "elem:angry-Body"}));
                 })
                 .clickCheckBox(kElementsOnly)
                 .pressKey('V', sim::kAlt)
                 .deselectItem("elem:smile-Body")
                 .deselectItem("elem:blink-Body")
                 .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "elem:smile-Body", 0, Look{1});
  addBody(expected, "elem:blink-Body", 0, Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  addWideElement(expected, "#elem:wide-Body");
  expectNewElement(expected, "elem:wide-Body", Look{});
  expectDocument(expected);
}

TEST_F(Command, SelectAllAndInvertActOnEveryItem) {
  standardScene();
  runCommand(sim::UserScript()
                 .clickButton(kSelectAll)
                 .inspect([this](int dialog) {
                   EXPECT_EQ(
                       listItems(host, dialog),
                       (Items{"[elem:smile-Body]", "[elem:blink-Body]", "[elem:angry-Body]"}));
                 })
                 .clickButton(kInvert)
                 .inspect([this](int dialog) {
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"elem:smile-Body", "elem:blink-Body", "elem:angry-Body"}));
                 })
                 .selectItem(1)
                 .pressKey('C', sim::kAlt)
                 .pressKey('C', sim::kAlt)
                 .inspect([this](int dialog) {
                   EXPECT_EQ(listItems(host, dialog),
                             (Items{"elem:smile-Body", "[elem:blink-Body]", "elem:angry-Body"}))
                       << "invert twice restores";
                 })
                 .pressKey('Z', sim::kAlt)
                 .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "#elem:smile-Body", 0, Look{1});
  expectNewElement(expected, "elem:smile-Body", Look{1});
  addBody(expected, "#elem:blink-Body", 0, Look{1, 0});
  expectNewElement(expected, "elem:blink-Body", Look{1, 0});
  addBody(expected, "#elem:angry-Body", 0, Look{1, kShown, 1});
  expectNewElement(expected, "elem:angry-Body", Look{1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  expectDocument(expected);
}

TEST_F(Command, KeysWithoutAltOrOutsideTheTableDoNothing) {
  standardScene();
  size_t messagesBefore = 0;
  int focusBefore = 0;
  runCommand(sim::UserScript()
                 .inspect([&](int dialog) {
                   messagesBefore = host.widgetMessages().size();
                   focusBefore = host.focusedWidget(dialog);
                 })
                 .pressKey('Q')
                 .pressKey('X', sim::kShift | sim::kCtrl)
                 .pressKey('R', sim::kAlt)
                 .pressKey('Y', sim::kAlt)
                 .pressKey('4')
                 .pressKey('q', sim::kAlt)
                 .inspect([&](int dialog) {
                   EXPECT_EQ(host.widgetMessages().size(), messagesBefore)
                       << "no key above made the dialog send anything";
                   EXPECT_EQ(host.focusedWidget(dialog), focusBefore);
                 })
                 .pressKey('4', sim::kAlt)
                 .inspect([&](int dialog) {
                   std::optional<sim::Widget> edit = host.findWidget(host.focusedWidget(dialog));
                   ASSERT_TRUE(edit.has_value());
                   EXPECT_EQ(edit->type, "edit");
                   EXPECT_EQ(edit->text, "100");
                 })
                 .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  addBody(expected, "#elem:smile-Body", 0, Look{1});
  expectNewElement(expected, "elem:smile-Body", Look{1});
  addBody(expected, "#elem:blink-Body", 0, Look{1, 0});
  expectNewElement(expected, "elem:blink-Body", Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  expectDocument(expected);
}

TEST_F(Command, TwoRunsInARowStartFromTheFixedStatesAndOwnLists) {
  standardScene();
  runCommand(sim::UserScript()
                 .pressKey('Q', sim::kAlt)
                 .pressKey('X', sim::kAlt)
                 .pressKey('N', sim::kAlt)
                 .pressKey('G', sim::kAlt)
                 .deselectItem("elem:blink-Body")
                 .clickButton(dialog::kOkCaption));
  runCommand(
      sim::UserScript()
          .inspect([this](int dialog) {
            for (const sim::Widget& box : session::widgetsOfType(host, dialog, "checkbox")) {
              const bool startsClear =
                  box.text == kKeepNames ||
                  box.text == session::caption(&TransferSettings::selectedVerticesOnly) ||
                  box.text == session::caption(&TransferSettings::mirrorMorph) ||
                  box.text == session::caption(&TransferSettings::renameNewElements);
              EXPECT_EQ(box.checked, !startsClear) << box.text;
            }
            EXPECT_EQ(listItems(host, dialog),
                      (Items{"[elem:smilenew1-Body]", "[elem:blink-Body]", "elem:angry-Body"}));
            EXPECT_EQ(session::widgetWithText(host, dialog, "edit", "100").numeric, "double");
          })
          .deselectItem(0)
          .clickButton(dialog::kOkCaption));

  sim::Document& expected = host.newDocument();
  addBody(expected, "#Body", 0, Look{0, kShown, 0, 1});
  expected.addEmptySlot();
  expectNewElement(expected, "elem:smilenew1-Body", Look{1});
  addBody(expected, "#elem:blink-Body", 0, Look{1, 0});
  expectNewElement(expected, "elem:blink-Body", Look{1, 0});
  addBody(expected, "elem:angry-Body", 0, Look{1, kShown, 1});
  addTriangle(expected, "Head");
  addBody(expected, "Body", 0.5f, Look{0, kShown, 0, 1});
  expectDocument(expected);
  EXPECT_TRUE(host.messageBoxes().empty());
}

TEST_F(Command, ANameTheLocaleCannotConvertShowsAsInvalid) {
  const char name[] = "Body\xFF\xFE";
  // The user's locale, as the plug-in will take it.
  std::setlocale(LC_CTYPE, "");
  const bool convertible = std::mbstowcs(nullptr, name, 0) != static_cast<size_t>(-1);
  std::setlocale(LC_CTYPE, "C");
  if (convertible)
    GTEST_SKIP() << "the user's locale here converts every byte";
  addBody(document, name, 0, Look{0, kShown, 0, 1});
  addBody(document, "Body2", 0, Look{0, kShown, 0, 1});
  const std::string before = describe();
  runCommand(sim::UserScript()
                 .inspect([this](int dialog) {
                   EXPECT_EQ(nameFields(host, dialog), (Texts{u"invalid", u"Body2"}));
                 })
                 .clickButton(dialog::kCancelCaption));
  EXPECT_EQ(describe(), before);
}

} // namespace
