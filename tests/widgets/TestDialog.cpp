#include "TestDialog.h"

TestDialog::TestDialog(MQWindowBase& owner) : MQDialog(owner) {
  SetTextProperty("title", u"Widget test");
  SetBoolProperty("canresize", true);
  MQFrame* top = MakeVertFrame(this);
  top->SetVertLayoutFill();

  MQFrame* fields = MakeHorzFrame(top);
  fields->SetHorzLayoutFill();
  fields->SetIntProperty("matrixcolumn", 2);
  MakeLabel(fields, u"Name")->SetDoubleProperty("fillrate_x", 30.0);
  nameEdit = MakeEdit(fields, u"Body ボディ");
  nameEdit->SetBoolProperty("readonly", true);
  nameEdit->SetHorzLayoutFill();
  nameEdit->SetDoubleProperty("fillrate_x", 70.0);
  MakeLabel(fields, u"Rate(&R)")->SetDoubleProperty("fillrate_x", 30.0);
  rateEdit = MakeEdit(fields, u"100");
  rateEdit->SetStringProperty("numeric", "double");
  rateEdit->SetDoubleProperty("fillrate_x", 70.0);

  MQFrame* middle = MakeHorzFrame(top);
  middle->SetVertLayoutFill();
  middle->SetHorzLayoutFill();
  MQFrame* listColumn = MakeVertFrame(middle);
  listColumn->SetHorzLayoutFill();
  listColumn->SetDoubleProperty("fillrate_x", 30.0);
  selectAll = MakeButton(listColumn, u"全て選択(&Z)");
  selectAll->HookExecute(this, &TestDialog::OnSelectAll);
  list = MakeListBox(listColumn);
  list->SetVertLayoutFill();
  list->SetMultiSelect();
  list->ClearItems();
  for (const char16_t* name : {u"smile", u"blink", u"angry"})
    list->AddItem(name);
  list->SetItemSelected(1, true);
  list->MakeItemVisible(0);

  MQFrame* options = MakeVertFrame(middle);
  options->SetDoubleProperty("fillrate_x", 10.0);
  check = MakeCheckBox(options, u"モーフ左右反転(&T)");
  check->HookExecute(this, &TestDialog::OnCheck);
  MakeCheckBox(options, u"UV")->SetChecked(true);

  MQFrame* buttons = MakeHorzFrame(top);
  ok = MakeButton(buttons, u"OK");
  ok->SetBoolProperty("default", true);
  ok->SetIntProperty("modalresult", 1);
  cancel = MakeButton(buttons, u"Cancel");
  cancel->SetBoolProperty("cancel", true);
  cancel->SetIntProperty("modalresult", 2);

  HookKeyDown(this, &TestDialog::OnKeyDown);
}

int TestDialog::OnCheck(MQWidgetBase* sender, MQDocument, void* record) {
  calls.push_back(HandlerCall{"OnCheck", sender ? sender->GetID() : 0, record != nullptr, {}});
  return 0;
}

int TestDialog::OnSelectAll(MQWidgetBase* sender, MQDocument, void* record) {
  calls.push_back(HandlerCall{"OnSelectAll", sender ? sender->GetID() : 0, record != nullptr, {}});
  list->SetBoolProperty("enabled", false);
  int count = list->GetItemCount();
  for (int i = 0; i < count; ++i)
    list->SetItemSelected(i, true);
  list->SetBoolProperty("enabled", true);
  return 0;
}

int TestDialog::OnKeyDown(MQWidgetBase* sender, MQDocument, KeyEventRecord& record) {
  calls.push_back(HandlerCall{"OnKeyDown", sender ? sender->GetID() : 0, true, record});
  if (record.alt && record.key == 'T') {
    check->SetChecked(!check->GetChecked());
  } else if (record.alt && record.key == '4') {
    rateEdit->SetBoolProperty("focus", true);
  }
  record.finished = finishKeys;
  return keyResult;
}
