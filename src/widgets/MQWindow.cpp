#include "widgets/MQWindow.h"

#include <memory>

MQWindowBase::~MQWindowBase() {
  // Controls leave the host before the window does.
  for (MQWidgetBase* widget : createdWidgets)
    delete widget;
  createdWidgets.clear();
}

template <typename W, typename Configure>
W* MQWindowBase::Make(MQWidgetBase* parent, Configure configure) {
  std::unique_ptr<W> made(new W());
  createdWidgets.insert(made.get());
  W* widget = made.release();
  configure(*widget);
  if (parent)
    parent->AddChildWidget(widget);
  return widget;
}

MQFrame* MQWindowBase::MakeHorzFrame(MQWidgetBase* parent) {
  return Make<MQFrame>(parent, [](MQFrame& f) { f.SetStringProperty("alignment", "horz"); });
}

MQFrame* MQWindowBase::MakeVertFrame(MQWidgetBase* parent) {
  return Make<MQFrame>(parent, [](MQFrame& f) { f.SetStringProperty("alignment", "vert"); });
}

MQButton* MQWindowBase::MakeButton(MQWidgetBase* parent, const std::u16string& text) {
  return Make<MQButton>(parent, [&](MQButton& b) { b.SetTextProperty("text", text); });
}

MQCheckBox* MQWindowBase::MakeCheckBox(MQWidgetBase* parent, const std::u16string& text) {
  return Make<MQCheckBox>(parent, [&](MQCheckBox& c) { c.SetTextProperty("text", text); });
}

MQListBox* MQWindowBase::MakeListBox(MQWidgetBase* parent) {
  return Make<MQListBox>(parent, [](MQListBox&) {});
}

MQLabel* MQWindowBase::MakeLabel(MQWidgetBase* parent, const std::u16string& text) {
  return Make<MQLabel>(parent, [&](MQLabel& l) { l.SetTextProperty("text", text); });
}

MQEdit* MQWindowBase::MakeEdit(MQWidgetBase* parent, const std::u16string& text) {
  return Make<MQEdit>(parent, [&](MQEdit& e) { e.SetTextProperty("text", text); });
}

namespace {

int queryMainWindowId() {
  int mainWindow = -1;
  ValueList values;
  values.add("system", "main_window").add("result", &mainWindow);
  sendWidgetMessage(0, MsgSystem, values);
  return mainWindow;
}

} // namespace

// Adopted, never owned: destroying the wrapper leaves the host's main window alone.
MQWindow::MQWindow() : MQWindowBase(queryMainWindowId()) {}

MQDialog::MQDialog(MQWindowBase& owner) : MQWindowBase(0) {
  CreateHostWidget("dialog");
  int dialogId = id;
  int result = -1;
  ValueList values;
  values.add("child", &dialogId).add("result", &result);
  sendWidgetMessage(owner.GetID(), MsgAttachDialog, values);
}

int MQDialog::RunModal() {
  int result = 0;
  ValueList values;
  values.add("type", "modal").add("result", &result);
  sendWidgetMessage(id, MsgRun, values);
  return result;
}

void ShowInformationMessage(const MQWindowBase& parent, const std::u16string& message,
                            const std::u16string& title) {
  int parentId = parent.GetID();
  int result = 0;
  ValueList values;
  values.add("type", "messagebox")
      .add("messagetype", "information")
      .add("parent", &parentId)
      .add("message", message.c_str())
      .add("title", title.c_str())
      .add("result", &result);
  sendWidgetMessage(0, MsgRun, values);
}
