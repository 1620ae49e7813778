// A dialog built from the widget classes the way a command's options dialog is: a check box with
// a handler, a multi-select list box, a labelled numeric edit beside a read-only one, a plain
// button with a handler, OK/Cancel, and a key handler on the dialog. Every handler call is
// written down with its sender and record so tests can see what arrived where.
#pragma once

#include "widgets/MQWindow.h"

#include <string>
#include <vector>

struct HandlerCall {
  std::string handler; // member function that ran
  int senderId = 0;    // 0: the sender was null
  bool hadRecord = false;
  KeyEventRecord key;
};

class TestDialog : public MQDialog {
public:
  explicit TestDialog(MQWindowBase& owner);

  int OnCheck(MQWidgetBase* sender, MQDocument document, void* record);
  int OnSelectAll(MQWidgetBase* sender, MQDocument document, void* record);
  int OnKeyDown(MQWidgetBase* sender, MQDocument document, KeyEventRecord& record);

  MQCheckBox* check = nullptr;
  MQListBox* list = nullptr;
  MQEdit* nameEdit = nullptr;
  MQEdit* rateEdit = nullptr;
  MQButton* selectAll = nullptr;
  MQButton* ok = nullptr;
  MQButton* cancel = nullptr;
  std::vector<HandlerCall> calls;
  int keyResult = 0;       // what OnKeyDown answers
  bool finishKeys = false; // OnKeyDown sets finished
};
