#include "dialog/TovalinderDialog.h"

#include "dialog/DialogOptions.h"
#include "dialog/RunOptionsDialog.h"
#include "dialog/TextConversion.h"
#include "entry/Tovalinder.h"
#include "transfer/TransferSettings.h"

#include <clocale>

namespace {

// The modal result of the OK button; any other result leaves the settings alone.
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

std::u16string text(const char* utf8) {
  return textconv::fromUtf8(utf8);
}

} // namespace

TovalinderDialog::TovalinderDialog(MQWindowBase& ownerWindow, Tovalinder* ownerPlugin,
                                   TransferSettings& settingsRecord)
    : MQDialog(ownerWindow), settings(settingsRecord), owner(ownerPlugin) {
  // Host names arrive in the user's multibyte encoding; only the character types follow the
  // user's locale, so numbers keep the point.
  std::setlocale(LC_CTYPE, "");

  SetTextProperty("title", text(dialog::kDialogTitle));
  SetBoolProperty("canresize", true);

  MQFrame* v0 = MakeVertFrame(this);
  v0->SetVertLayoutFill();
  MQFrame* h1 = MakeHorzFrame(v0);
  MQFrame* h2 = MakeHorzFrame(v0);
  h2->SetVertLayoutFill();
  h2->SetHorzLayoutFill();
  MQFrame* h3 = MakeHorzFrame(h1);
  h3->SetHorzLayoutFill();
  h3->SetIntProperty("matrixcolumn", 2);
  MQFrame* v1 = MakeVertFrame(h1);
  v1->SetDoubleProperty("fillrate_x", 30.0);
  MQFrame* v2 = MakeVertFrame(h1);
  v2->SetDoubleProperty("fillrate_x", 10.0);

  MakeNameRows(h3);
  MakeRateRow(v1);
  MakeCloseButtons(v2);

  MQFrame* v3 = MakeVertFrame(h2);
  MQFrame* v4 = MakeVertFrame(h2);
  v3->SetHorzLayoutFill();

  MQFrame* h5 = MakeHorzFrame(v3);
  MakeButton(h5, text(dialog::kSelectAllCaption))
      ->HookExecute(this, &TovalinderDialog::OnSelectAll);
  MakeButton(h5, text(dialog::kInvertSelectionCaption))
      ->HookExecute(this, &TovalinderDialog::OnInvertSelection);

  objectList = MakeListBox(v3);
  objectList->SetVertLayoutFill();
  objectList->SetMultiSelect();
  FillObjectList();

  MakeCheckBoxes(v4);
  HookKeyDown(this, &TovalinderDialog::OnKeyDown);
}

void TovalinderDialog::MakeNameRows(MQFrame* grid) {
  // The names as a two-column grid: label, then a read-only edit.
  const std::string* names[] = {&settings.sourceName, &settings.destinationName};
  const char* labels[] = {dialog::kSourceLabel, dialog::kDestinationLabel};
  for (int row = 0; row < 2; ++row) {
    MakeLabel(grid, text(labels[row]))->SetDoubleProperty("fillrate_x", 30.0);
    MQEdit* nameEdit = MakeEdit(grid, textconv::toWidgetText(*names[row]));
    nameEdit->SetBoolProperty("readonly", true);
    nameEdit->SetHorzLayoutFill();
    nameEdit->SetDoubleProperty("fillrate_x", 70.0);
  }
}

void TovalinderDialog::MakeRateRow(MQFrame* column) {
  MQFrame* row = MakeHorzFrame(column);
  MakeLabel(row, text(dialog::kRateLabel));
  rateEdit = MakeEdit(row, text(dialog::kInitialRateText));
  rateEdit->SetStringProperty("numeric", "double");
}

void TovalinderDialog::MakeCloseButtons(MQFrame* column) {
  MQButton* ok = MakeButton(column, text(dialog::kOkCaption));
  ok->SetBoolProperty("default", true);
  ok->SetIntProperty("modalresult", kResultOk);
  MQButton* cancel = MakeButton(column, text(dialog::kCancelCaption));
  cancel->SetBoolProperty("cancel", true);
  cancel->SetIntProperty("modalresult", kResultCancel);
}

// The options and filters in their column, then the attribute boxes in a row below them; a box
// that starts checked gets its state after its creation and its hook.
void TovalinderDialog::MakeCheckBoxes(MQFrame* column) {
  MQFrame* attributeRow = nullptr;
  for (const dialog::DialogOption& option : dialog::kDialogOptions) {
    MQFrame* parent = column;
    if (option.kind == dialog::OptionKind::Attribute) {
      if (!attributeRow)
        attributeRow = MakeHorzFrame(column);
      parent = attributeRow;
    }
    MQCheckBox* box = MakeCheckBox(parent, text(option.caption));
    this->*option.box = box;
    if (option.kind == dialog::OptionKind::ListFilter)
      box->HookExecute(this, &TovalinderDialog::OnFilterChanged);
    if (option.initiallyChecked)
      box->SetChecked(true);
  }
}

void TovalinderDialog::FillObjectList() {
  objectList->ClearItems();
  for (const CandidateEntry& entry : settings.candidates) {
    const int index = objectList->AddItem(textconv::toWidgetText(entry.object.name()));
    objectList->SetItemSelected(index, entry.selected);
  }
  objectList->MakeItemVisible(0);
}

int TovalinderDialog::OnSelectAll(MQWidgetBase*, MQDocument, void*) {
  objectList->SetBoolProperty("enabled", false);
  const int count = objectList->GetItemCount();
  for (int i = 0; i < count; ++i)
    objectList->SetItemSelected(i, true);
  objectList->SetBoolProperty("enabled", true);
  return 0;
}

int TovalinderDialog::OnInvertSelection(MQWidgetBase*, MQDocument, void*) {
  objectList->SetBoolProperty("enabled", false);
  const int count = objectList->GetItemCount();
  for (int i = 0; i < count; ++i)
    objectList->SetItemSelected(i, !objectList->GetItemSelected(i));
  objectList->SetBoolProperty("enabled", true);
  return 0;
}

int TovalinderDialog::OnFilterChanged(MQWidgetBase*, MQDocument, void*) {
  const bool sameVertexCountOnly = sameCountCheck->GetChecked();
  const bool elementsOnly = elementsOnlyCheck->GetChecked();
  owner->rebuildCandidates(elementsOnly, sameVertexCountOnly);
  FillObjectList();
  return 0;
}

int TovalinderDialog::OnKeyDown(MQWidgetBase*, MQDocument, KeyEventRecord& record) {
  if (!record.alt)
    return 0;
  if (record.key == dialog::kSelectAllKey) {
    OnSelectAll(nullptr, nullptr, nullptr);
  } else if (record.key == dialog::kInvertSelectionKey) {
    OnInvertSelection(nullptr, nullptr, nullptr);
  } else if (record.key == dialog::kRateFocusKey) {
    rateEdit->SetBoolProperty("focus", true);
  } else if (record.key > 0 && record.key < 0x80) {
    if (const dialog::DialogOption* option = dialog::optionForKey(static_cast<char>(record.key))) {
      ToggleCheck(this->*option->box);
      if (option->kind == dialog::OptionKind::ListFilter)
        OnFilterChanged(nullptr, nullptr, nullptr);
    }
  }
  return 0;
}

void TovalinderDialog::ToggleCheck(MQCheckBox* box) {
  box->SetChecked(!box->GetChecked());
}

void TovalinderDialog::ReadBack() {
  settings.rate = textconv::rateFromText(textconv::toNarrowText(rateEdit->GetText()));

  // The host's count is trusted only as far as the list it was filled from.
  const int count = objectList->GetItemCount();
  for (int i = 0; i < count; ++i) {
    const bool selected = objectList->GetItemSelected(i);
    if (static_cast<size_t>(i) < settings.candidates.size())
      settings.candidates[static_cast<size_t>(i)].selected = selected;
  }

  for (const size_t index : dialog::optionsInSettingsOrder()) {
    const dialog::DialogOption& option = dialog::kDialogOptions[index];
    if (option.field)
      settings.*option.field = (this->*option.box)->GetChecked();
  }
  settings.accepted = true;
}

bool RunOptionsDialog(Tovalinder* owner) {
  MQWindow mainWindow;
  TovalinderDialog dialog(mainWindow, owner, transferSettings());
  if (dialog.RunModal() != kResultOk)
    return false;
  dialog.ReadBack();
  return true;
}
