// The widget wrappers against the simulated host: the exact messages they send, what they own,
// and the id map that leads events back to them.
#include "WidgetTestSupport.h"
#include "widgets/MQWindow.h"
#include "widgets/WidgetIdMap.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

class WidgetClasses : public WidgetTest {};

TEST_F(WidgetClasses, TheMainWindowIsAdoptedAndNeverDeleted) {
  int before = widgetidmap::size();
  {
    MQWindow window;
    EXPECT_EQ(window.GetID(), sim::kMainWindowId);
    EXPECT_FALSE(window.OwnsWidget());
    EXPECT_EQ(widgetidmap::find(sim::kMainWindowId), &window);
  }
  EXPECT_EQ(widgetidmap::find(sim::kMainWindowId), nullptr) << "the entry goes with the wrapper";
  EXPECT_EQ(widgetidmap::size(), before);
  std::vector<sim::WidgetMessage> sent = host.widgetMessages();
  ASSERT_EQ(sent.size(), 1u) << "no MsgDelete for an adopted window";
  EXPECT_EQ(sent[0].id, 0);
  EXPECT_EQ(sent[0].message, MQWIDGET_MSG_SYSTEM);
  EXPECT_EQ(sent[0].pairs, (Pairs{{"system", "main_window"}, {"result", "-1"}}));
  EXPECT_TRUE(host.findWidget(sim::kMainWindowId)->alive);
}

TEST_F(WidgetClasses, ADialogIsCreatedAttachedAndRunWithTheExactMessages) {
  MQWindow window;
  host.clearWidgetMessages();
  {
    MQDialog dialog(window);
    int id = dialog.GetID();
    EXPECT_GT(id, sim::kMainWindowId);
    EXPECT_TRUE(dialog.OwnsWidget());
    EXPECT_EQ(widgetidmap::find(id), &dialog);
    host.queueModalScript(sim::UserScript().closeWindow());
    EXPECT_EQ(dialog.RunModal(), sim::kClosedResult);
    std::vector<sim::WidgetMessage> sent = host.widgetMessages();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].message, MQWIDGET_MSG_CREATE);
    EXPECT_EQ(sent[0].pairs, (Pairs{{"type", "dialog"}, {"id", "0"}}));
    EXPECT_EQ(sent[1].id, sim::kMainWindowId);
    EXPECT_EQ(sent[1].message, MQWIDGET_MSG_ATTACH_DIALOG);
    EXPECT_EQ(sent[1].pairs, (Pairs{{"child", std::to_string(id)}, {"result", "-1"}}));
    EXPECT_EQ(sent[2].id, id);
    EXPECT_EQ(sent[2].message, MQWIDGET_MSG_RUN);
    EXPECT_EQ(sent[2].pairs, (Pairs{{"type", "modal"}, {"result", "0"}}));
    EXPECT_EQ(host.findWidget(id)->owner, sim::kMainWindowId);
  }
  EXPECT_EQ(host.widgetMessages().back().message, MQWIDGET_MSG_DELETE);
}

TEST_F(WidgetClasses, CreationOperationsSendCreateOneWriteThenAddChild) {
  MQWindow window;
  MQDialog dialog(window);
  host.clearWidgetMessages();
  MQFrame* row = dialog.MakeHorzFrame(&dialog);
  MQCheckBox* box = dialog.MakeCheckBox(row, u"ウェイト");
  MQListBox* list = dialog.MakeListBox(nullptr);
  std::vector<sim::WidgetMessage> sent = host.widgetMessages();
  ASSERT_EQ(sent.size(), 7u);
  EXPECT_EQ(sent[0].pairs, (Pairs{{"type", "frame"}, {"id", "0"}}));
  EXPECT_EQ(sent[1].id, row->GetID());
  EXPECT_EQ(sent[1].pairs, (Pairs{{"alignment", "horz"}}));
  EXPECT_EQ(sent[2].id, dialog.GetID());
  EXPECT_EQ(sent[2].message, MQWIDGET_MSG_ADD_CHILD);
  EXPECT_EQ(sent[2].pairs, (Pairs{{"child", std::to_string(row->GetID())}, {"result", "-1"}}));
  EXPECT_EQ(sent[3].pairs, (Pairs{{"type", "checkbox"}, {"id", "0"}}));
  EXPECT_EQ(sent[4].pairs, (Pairs{{"text", "ウェイト"}}));
  EXPECT_EQ(sent[5].id, row->GetID());
  EXPECT_EQ(sent[6].pairs, (Pairs{{"type", "listbox"}, {"id", "0"}}))
      << "a list box without parent: created, nothing else";
  EXPECT_EQ(dialog.CreatedWidgets().size(), 3u);
  EXPECT_EQ(host.findWidget(row->GetID())->children, std::vector<int>{box->GetID()});
  EXPECT_EQ(host.findWidget(list->GetID())->parent, 0);
  EXPECT_EQ(dialog.AddChildWidget(list), 1) << "the host's result: the child's position";
}

TEST_F(WidgetClasses, AddChildWidgetWithNullSendsNothing) {
  MQWindow window;
  MQDialog dialog(window);
  host.clearWidgetMessages();
  EXPECT_EQ(dialog.AddChildWidget(nullptr), -1);
  EXPECT_TRUE(host.widgetMessages().empty());
}

TEST_F(WidgetClasses, EditTextIsReadByLengthThenBuffer) {
  MQWindow window;
  MQDialog dialog(window);
  MQEdit* edit = dialog.MakeEdit(&dialog, u"");
  host.clearWidgetMessages();
  EXPECT_EQ(edit->GetText(), u"");
  std::vector<sim::WidgetMessage> sent = host.widgetMessages();
  ASSERT_EQ(sent.size(), 1u) << "an empty edit: only the length";
  EXPECT_EQ(sent[0].message, MQWIDGET_MSG_GET);
  EXPECT_EQ(sent[0].pairs, (Pairs{{"text.length", "0"}}));

  // Surrogate pairs count as two units each; the whole text comes back.
  const std::u16string text = u"Hair\U0001F600髪";
  edit->SetTextProperty("text", text);
  host.clearWidgetMessages();
  EXPECT_EQ(edit->GetText(), text);
  sent = host.widgetMessages();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].pairs, (Pairs{{"text", "buffer"}}));
  EXPECT_EQ(host.findWidget(edit->GetID())->text, "Hair\xF0\x9F\x98\x80\xE9\xAB\xAA");
}

TEST_F(WidgetClasses, PropertyHelpersSendOneWriteEach) {
  MQWindow window;
  MQDialog dialog(window);
  MQListBox* list = dialog.MakeListBox(&dialog);
  MQCheckBox* box = dialog.MakeCheckBox(&dialog, u"X");
  host.clearWidgetMessages();
  list->SetHorzLayoutFill();
  list->SetVertLayoutFill();
  list->SetMultiSelect();
  box->SetChecked(true);
  list->SetDoubleProperty("fillrate_x", 30.0);
  std::vector<sim::WidgetMessage> sent = host.widgetMessages();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0].pairs, (Pairs{{"horzlayout", "fill"}}));
  EXPECT_EQ(sent[1].pairs, (Pairs{{"vertlayout", "fill"}}));
  EXPECT_EQ(sent[2].pairs, (Pairs{{"multiselect", "true"}}));
  EXPECT_EQ(sent[3].pairs, (Pairs{{"checked", "true"}}));
  EXPECT_EQ(sent[4].pairs, (Pairs{{"fillrate_x", "30"}}));
  EXPECT_TRUE(box->GetChecked());
  sim::Widget shown = *host.findWidget(list->GetID());
  EXPECT_EQ(shown.horzLayout, "fill");
  EXPECT_EQ(shown.vertLayout, "fill");
  EXPECT_TRUE(shown.multiSelect);
  EXPECT_EQ(shown.fillRateX, 30.0);
}

TEST_F(WidgetClasses, ListBoxItemsAndSelection) {
  MQWindow window;
  MQDialog dialog(window);
  MQListBox* list = dialog.MakeListBox(&dialog);
  list->SetMultiSelect();
  EXPECT_EQ(list->AddItem(u"a"), 0);
  EXPECT_EQ(list->AddItem(u"b"), 1);
  EXPECT_EQ(list->AddItem(u"c"), 2);
  list->SetItemSelected(0, true);
  list->SetItemSelected(2, true);
  EXPECT_EQ(list->GetItemCount(), 3);
  EXPECT_TRUE(list->GetItemSelected(0));
  EXPECT_FALSE(list->GetItemSelected(1));
  EXPECT_TRUE(list->GetItemSelected(2));
  host.clearWidgetMessages();
  list->ClearItems();
  list->MakeItemVisible(0);
  EXPECT_EQ(list->GetItemCount(), 0);
  std::vector<sim::WidgetMessage> sent = host.widgetMessages();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].pairs, (Pairs{{"clearitems", "null"}}));
  EXPECT_EQ(sent[1].pairs, (Pairs{{"makeitemvisible", "null"}, {"index", "0"}}))
      << "scrolling an empty list is harmless";
  EXPECT_EQ(sent[2].pairs, (Pairs{{"item.count", "0"}}));
  list->AddItem(u"d");
  host.clearWidgetMessages();
  list->SetItemSelected(0, true);
  EXPECT_EQ(host.widgetMessages()[0].pairs, (Pairs{{"index", "0"}, {"item.selected", "true"}}));
}

TEST_F(WidgetClasses, ASecondObjectUnderAnIdKeepsTheFirst) {
  MQWindow first;
  {
    MQWindow second;
    EXPECT_EQ(second.GetID(), first.GetID());
    EXPECT_EQ(widgetidmap::find(first.GetID()), &first);
  }
  // Destroying the second removes the entry for the id, whatever it named.
  EXPECT_EQ(widgetidmap::find(first.GetID()), nullptr);
}

TEST_F(WidgetClasses, AFailedCreationLeavesAWidgetlessObject) {
  MQWindow window;
  auto* dialog = new MQDialog(window);
  int before = widgetidmap::size();
  host.refuseWidgetCreations(1);
  MQButton* button = dialog->MakeButton(nullptr, u"Ghost");
  EXPECT_EQ(button->GetID(), 0);
  EXPECT_FALSE(button->OwnsWidget());
  EXPECT_EQ(widgetidmap::size(), before) << "not registered";
  EXPECT_EQ(widgetidmap::find(0), nullptr);
  // Its property write goes to id 0, which the host refuses (and records).
  std::vector<std::string> misuses = host.misuses();
  ASSERT_EQ(misuses.size(), 1u);
  EXPECT_NE(misuses[0].find("MQWidget_Value(0, 0x302)"), std::string::npos);
  host.clearMisuses();
  MQLabel* label = dialog->MakeLabel(nullptr, u"x");
  int labelId = label->GetID(), dialogId = dialog->GetID();
  host.clearWidgetMessages();
  delete dialog;
  std::vector<sim::WidgetMessage> deletes = messagesOf(MQWIDGET_MSG_DELETE);
  ASSERT_EQ(deletes.size(), 2u) << "the widgetless button deletes nothing";
  EXPECT_EQ(deletes[0].id, labelId);
  EXPECT_EQ(deletes[1].id, dialogId);
}

TEST_F(WidgetClasses, NestedFramesLeaveTheHostInAnyOrderWithoutMisuse) {
  // createdWidgets is ordered by address, so a frame may be deleted before its children: the
  // host removes them with it and accepts their own delete afterwards.
  MQWindow window;
  auto* dialog = new MQDialog(window);
  MQWidgetBase* parent = dialog;
  for (int depth = 0; depth < 6; ++depth) {
    MQFrame* frame = depth % 2 ? dialog->MakeHorzFrame(parent) : dialog->MakeVertFrame(parent);
    dialog->MakeLabel(frame, u"l");
    dialog->MakeButton(frame, u"b");
    parent = frame;
  }
  delete dialog;
  EXPECT_TRUE(host.misuses().empty());
}

TEST_F(WidgetClasses, TheInformationBoxIsShownForTheMainWindow) {
  MQWindow window;
  ShowInformationMessage(window, u"Attributes of some faces were not copied.", u"Tovalinder");
  std::vector<sim::MessageBoxRecord> boxes = host.messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].messageType, "information");
  EXPECT_EQ(boxes[0].parent, sim::kMainWindowId);
  EXPECT_EQ(boxes[0].title, "Tovalinder");
  EXPECT_EQ(boxes[0].message, "Attributes of some faces were not copied.");
  std::vector<sim::WidgetMessage> runs = messagesOf(MQWIDGET_MSG_RUN);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].id, 0);
  EXPECT_EQ(runs[0].pairs, (Pairs{{"type", "messagebox"},
                                  {"messagetype", "information"},
                                  {"parent", "1"},
                                  {"message", "Attributes of some faces were not copied."},
                                  {"title", "Tovalinder"},
                                  {"result", "0"}}));
  EXPECT_TRUE(host.modalRuns().empty()) << "a message box plays no script";
}

} // namespace
