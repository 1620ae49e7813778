// The test dialog run modally by the scripted user in the simulated host: every action reaches
// the right member function with the right record, and an action that cannot be done fails loudly.
#include "TestDialog.h"
#include "WidgetTestSupport.h"

#include <algorithm>

namespace {

class ScriptedDialog : public WidgetTest {
protected:
  void SetUp() override {
    WidgetTest::SetUp();
    mainWindow = new MQWindow();
    dialog = new TestDialog(*mainWindow);
  }
  void TearDown() override {
    delete dialog;
    delete mainWindow;
    WidgetTest::TearDown();
  }

  int run(const sim::UserScript& script) {
    host.queueModalScript(script);
    return dialog->RunModal();
  }
  // The failure of the last run, which the test then expects; clears it.
  std::string takeFailure() {
    std::vector<sim::ModalRun> runs = host.modalRuns();
    std::string failure = runs.empty() ? std::string("no run") : runs.back().failure;
    host.clearModalRuns();
    return failure;
  }
  std::vector<std::string> handlerNames() const {
    std::vector<std::string> names;
    for (const HandlerCall& call : dialog->calls)
      names.push_back(call.handler);
    return names;
  }
  std::vector<bool> selection() const {
    std::vector<bool> selected;
    for (int i = 0; i < dialog->list->GetItemCount(); ++i)
      selected.push_back(dialog->list->GetItemSelected(i));
    return selected;
  }

  MQWindow* mainWindow = nullptr;
  TestDialog* dialog = nullptr;
};

TEST_F(ScriptedDialog, EveryActionReachesItsHandlerWithItsRecord) {
  bool looked = false;
  int result = run(sim::UserScript()
                       .clickCheckBox("モーフ左右反転(T)")
                       .toggleItem("smile")
                       .deselectItem(1)
                       .selectItem(2)
                       .typeText("Rate(R)", "12.5")
                       .pressKey('T', sim::kAlt)
                       .pressKey('X')
                       .inspect([&](int dialogId) {
                         looked = true;
                         EXPECT_EQ(dialogId, dialog->GetID());
                         EXPECT_EQ(host.openDialog(), dialog->GetID());
                         auto box = host.findWidget(dialog->check->GetID());
                         ASSERT_TRUE(box);
                         EXPECT_FALSE(box->checked) << "clicked on, then Alt+T off";
                         auto list = host.findWidget(dialog->list->GetID());
                         ASSERT_EQ(list->items.size(), 3u);
                         EXPECT_TRUE(list->items[0].selected);
                         EXPECT_FALSE(list->items[1].selected);
                         EXPECT_TRUE(list->items[2].selected);
                         EXPECT_EQ(host.focusedWidget(dialogId), dialog->rateEdit->GetID());
                       })
                       .clickButton("全て選択(&Z)")
                       .clickButton("OK"));
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(looked);
  EXPECT_EQ(host.openDialog(), 0);

  ASSERT_EQ(handlerNames(),
            (std::vector<std::string>{"OnCheck", "OnKeyDown", "OnKeyDown", "OnSelectAll"}));
  const auto& calls = dialog->calls;
  EXPECT_EQ(calls[0].senderId, dialog->check->GetID());
  EXPECT_FALSE(calls[0].hadRecord) << "execute carries no record";
  // Keys go from the focused edit up to the dialog, where the handler is.
  EXPECT_EQ(calls[1].senderId, dialog->rateEdit->GetID());
  EXPECT_EQ(calls[1].key.key, 'T');
  EXPECT_TRUE(calls[1].key.alt);
  EXPECT_FALSE(calls[1].key.shift || calls[1].key.ctrl || calls[1].key.leftButton ||
               calls[1].key.rightButton || calls[1].key.middleButton || calls[1].key.auto_repeat);
  EXPECT_EQ(calls[2].key.key, 'X');
  EXPECT_FALSE(calls[2].key.alt);
  EXPECT_EQ(calls[3].senderId, dialog->selectAll->GetID());

  // What the dialog reads back after the run.
  EXPECT_EQ(dialog->rateEdit->GetText(), u"12.5");
  EXPECT_FALSE(dialog->check->GetChecked());
  EXPECT_EQ(selection(), (std::vector<bool>{true, true, true}));

  for (const sim::SentEvent& event : host.sentEvents())
    EXPECT_FALSE(event.finished) << event.type << ": no handler finished anything";
  ASSERT_EQ(host.modalRuns().size(), 1u);
  EXPECT_EQ(host.modalRuns()[0].actionsPlayed, 10);
}

TEST_F(ScriptedDialog, ButtonsAndKeysEndTheRunWithTheirResults) {
  EXPECT_EQ(run(sim::UserScript().clickButton("Cancel")), 2);
  EXPECT_EQ(run(sim::UserScript().closeWindow()), sim::kClosedResult);
  EXPECT_EQ(run(sim::UserScript().pressKey(sim::kKeyEnter)), 1) << "Enter: the default button";
  EXPECT_EQ(run(sim::UserScript().pressKey(sim::kKeyEscape)), 2) << "Escape: the cancel button";
  EXPECT_EQ(host.modalRuns().size(), 4u);
  EXPECT_EQ(handlerNames(), (std::vector<std::string>{"OnKeyDown", "OnKeyDown"}))
      << "OK and Cancel have no handler; the keys still reach the dialog";
}

TEST_F(ScriptedDialog, KeyRecordsCarryModifiersRepeatAndFinished) {
  dialog->finishKeys = true;
  dialog->keyResult = 7;
  int result = run(sim::UserScript()
                       .pressKey('A', sim::kAlt | sim::kShift, true)
                       .pressKey(sim::kKeyEnter, sim::kCtrl)
                       .pressKey(sim::kKeyEnter)
                       .clickButton("Cancel"));
  EXPECT_EQ(result, 2) << "a finished Enter does not press the default button";
  ASSERT_EQ(dialog->calls.size(), 3u);
  KeyEventRecord first = dialog->calls[0].key;
  EXPECT_EQ(first.key, 'A');
  EXPECT_TRUE(first.alt && first.shift && first.auto_repeat);
  EXPECT_FALSE(first.ctrl || first.leftButton || first.rightButton || first.middleButton);
  EXPECT_FALSE(first.finished) << "a handler sees finished false on entry";
  EXPECT_TRUE(dialog->calls[1].key.ctrl);
  EXPECT_EQ(dialog->calls[0].senderId, dialog->GetID()) << "no focus: the dialog sends";

  std::vector<sim::SentEvent> keys;
  for (const sim::SentEvent& event : host.sentEvents())
    if (event.type == "keydown")
      keys.push_back(event);
  ASSERT_EQ(keys.size(), 3u);
  for (const sim::SentEvent& event : keys) {
    EXPECT_TRUE(event.finished) << "the callback writes the host's finished byte";
    EXPECT_EQ(event.result, 7);
    EXPECT_EQ(event.target, dialog->GetID());
  }
}

TEST_F(ScriptedDialog, AltFourMovesTheFocusAndTypingNeedsANumber) {
  int result = run(sim::UserScript()
                       .pressKey('4', sim::kAlt)
                       .inspect([&](int dialogId) {
                         EXPECT_EQ(host.focusedWidget(dialogId), dialog->rateEdit->GetID());
                       })
                       .typeText("Rate(&R)", "-1e2")
                       .typeText("Rate(R)", "")
                       .typeText("Rate(R)", "+.5")
                       .clickButton("OK"));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(dialog->rateEdit->GetText(), u"+.5");
}

TEST_F(ScriptedDialog, ImpossibleActionsFailTheRunLoudly) {
  struct Case {
    sim::UserScript script;
    std::string expected;
  };
  std::vector<Case> cases = {
      {sim::UserScript().clickButton("Apply"), "no button \"Apply\""},
      {sim::UserScript().clickCheckBox("OK"), "no check box \"OK\""},
      {sim::UserScript().typeText("Name", "Head"), "read-only"},
      {sim::UserScript().typeText("Rate(R)", "12abc"), "numbers only"},
      {sim::UserScript().typeText("Rate(R)", "1e"), "numbers only"},
      {sim::UserScript().typeText("Rate(R)", "."), "numbers only"},
      {sim::UserScript().typeText("Scale", "1"), "no edit after a label \"Scale\""},
      {sim::UserScript().selectItem(3), "no item 3"},
      {sim::UserScript().selectItem("frown"), "0 items \"frown\""},
      {sim::UserScript().inList(1).selectItem(0), "no list box 1"},
      {sim::UserScript().mouse("click", {}), "not a mouse event"},
      {sim::UserScript().inspect([](int) { throw std::runtime_error("looked wrong"); }),
       "looked wrong"},
      {sim::UserScript().clickCheckBox("UV"), "ran out of actions"},
      {sim::UserScript().clickButton("OK").clickButton("Cancel"), "left over"},
      {sim::UserScript(), "ran out of actions"},
  };
  for (const Case& c : cases) {
    int result = run(c.script);
    std::string failure = takeFailure();
    std::vector<std::string> steps = c.script.describe();
    EXPECT_NE(failure.find(c.expected), std::string::npos)
        << (steps.empty() ? "(no action)" : steps.front()) << " gave: " << failure;
    if (c.expected != "left over") {
      EXPECT_EQ(result, 0) << failure;
    }
  }
  EXPECT_EQ(dialog->rateEdit->GetText(), u"100") << "refused text never reaches the edit";
  EXPECT_TRUE(dialog->calls.empty());
}

TEST_F(ScriptedDialog, SelectingEveryItemOfANameClicksEachOneThatBearsIt) {
  dialog->list->AddItem(u"smile"); // a second "smile", at position 3
  EXPECT_EQ(run(sim::UserScript().selectItem("smile")), 0);
  EXPECT_NE(takeFailure().find("2 items \"smile\""), std::string::npos);
  EXPECT_EQ(run(sim::UserScript().selectEveryItem("smile").clickButton("OK")), 1);
  EXPECT_EQ(selection(), (std::vector<bool>{true, true, false, true})) << "blink was selected";
  EXPECT_EQ(run(sim::UserScript().selectEveryItem("frown")), 0);
  EXPECT_NE(takeFailure().find("0 items \"frown\""), std::string::npos);
  // One click per item, in list order: a single-select list keeps the last one clicked.
  dialog->list->SetBoolProperty("multiselect", false);
  EXPECT_EQ(run(sim::UserScript().selectEveryItem("smile").clickButton("OK")), 1);
  EXPECT_EQ(selection(), (std::vector<bool>{false, false, false, true}));
}

TEST_F(ScriptedDialog, DisabledControlsCannotBeUsed) {
  dialog->check->SetBoolProperty("enabled", false);
  EXPECT_EQ(run(sim::UserScript().clickCheckBox("モーフ左右反転(&T)")), 0);
  EXPECT_NE(takeFailure().find("disabled"), std::string::npos);
  dialog->check->SetBoolProperty("enabled", true);

  // A list inside a disabled container is disabled too.
  sim::Widget list = *host.findWidget(dialog->list->GetID());
  int container = list.parent;
  bool off = false;
  void* values[] = {const_cast<char*>("enabled"), &off, nullptr};
  MQWidget_Value(container, MQWIDGET_MSG_SET, values);
  EXPECT_EQ(run(sim::UserScript().selectItem(0)), 0);
  EXPECT_NE(takeFailure().find("disabled"), std::string::npos);
  EXPECT_TRUE(dialog->calls.empty());
  EXPECT_EQ(selection(), (std::vector<bool>{false, true, false}));
}

TEST_F(ScriptedDialog, WithoutAScriptTheRunIsDismissedAndRecorded) {
  EXPECT_EQ(dialog->RunModal(), 0);
  std::vector<std::string> failures = host.scriptFailures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("no scripted user"), std::string::npos);
  host.clearModalRuns();
}

TEST_F(ScriptedDialog, MouseEventsReachOnlyTheirHandlers) {
  // The dialog hooks no mouse event: the host has nobody to call.
  sim::UserScript::Mouse state;
  state.clientX = 5;
  EXPECT_EQ(run(sim::UserScript().mouse("leftdown", state).clickButton("Cancel")), 2);
  for (const sim::SentEvent& event : host.sentEvents())
    EXPECT_NE(event.type, "leftdown");
}

TEST_F(ScriptedDialog, DestroyingTheDialogDeletesControlsFirst) {
  std::vector<int> controls;
  for (MQWidgetBase* widget : dialog->CreatedWidgets())
    controls.push_back(widget->GetID());
  int dialogId = dialog->GetID();
  host.clearWidgetMessages();
  delete dialog;
  dialog = nullptr;
  std::vector<sim::WidgetMessage> deletes = messagesOf(MQWIDGET_MSG_DELETE);
  ASSERT_EQ(deletes.size(), controls.size() + 1);
  EXPECT_EQ(deletes.back().id, dialogId);
  std::vector<int> deleted;
  for (size_t i = 0; i + 1 < deletes.size(); ++i)
    deleted.push_back(deletes[i].id);
  std::sort(deleted.begin(), deleted.end());
  std::sort(controls.begin(), controls.end());
  EXPECT_EQ(deleted, controls);
  EXPECT_EQ(host.widgetMessages().size(), deletes.size()) << "nothing but deletes";
}

} // namespace
