#include "dialog/TovalinderDialog.h"

#include "dialog/RunOptionsDialog.h"
#include "dialog/TextConversion.h"
#include "entry/Tovalinder.h"
#include "transfer/TransferSettings.h"

#include <clocale>

namespace {

// The dialog's texts, as the user sees them.
const char16_t kTitle[] = u"Tovalinder";
const char16_t kKeepNames[] = u"Source/Destinationオブジェクトの名前を維持する(&Q)";
const char16_t kUniqueId[] = u"同一頂点判定にユニークIDを使用する(&G)";
const char16_t kSelectedOnly[] = u"選択頂点のみモーフ反映する(&S)";
const char16_t kAddedVertices[] = u"追加頂点にも周辺頂点から計算してモーフ反映する(&A)";
const char16_t kMirror[] = u"モーフ左右反転(&T)";
const char16_t kBackup[] = u"バックアップエレメントを作成する(&X)";
const char16_t kRenameNew[] = u"新規エレメントは別名(\uFF5Enew)で作成する(&N)";
const char16_t kElementsOnly[] = u"エレメントオブジェクトのみリストアップする(&E)";
const char16_t kSameCount[] = u"頂点数の等しいオブジェクトのみリストアップする(&V)";
const char16_t kSelectAll[] = u"全て選択(&Z)";
const char16_t kInvertSelection[] = u"選択反転(&C)";

// The modal result of the OK button; any other result leaves the settings alone.
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

// A check box that starts checked: the state is set after its creation and its hook.
MQCheckBox* checkedBox(MQCheckBox* box) {
  box->SetChecked(true);
  return box;
}

} // namespace

TovalinderDialog::TovalinderDialog(MQWindowBase& ownerWindow, Tovalinder* ownerPlugin,
                                   TransferSettings& settingsRecord)
    : MQDialog(ownerWindow), settings(settingsRecord), owner(ownerPlugin) {
  // Host names arrive in the user's multibyte encoding; only the character types follow the
  // user's locale, so numbers keep the point.
  std::setlocale(LC_CTYPE, "");

  SetTextProperty("title", kTitle);
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

  // The names as a two-column grid: label, then a read-only edit.
  const std::string* names[] = {&settings.sourceName, &settings.destinationName};
  const char16_t* labels[] = {u"Source", u"Destination"};
  for (int row = 0; row < 2; ++row) {
    MakeLabel(h3, labels[row])->SetDoubleProperty("fillrate_x", 30.0);
    MQEdit* nameEdit = MakeEdit(h3, textconv::toWidgetText(*names[row]));
    nameEdit->SetBoolProperty("readonly", true);
    nameEdit->SetHorzLayoutFill();
    nameEdit->SetDoubleProperty("fillrate_x", 70.0);
  }

  MQFrame* h4 = MakeHorzFrame(v1);
  MakeLabel(h4, u"Rate(&R)");
  rateEdit = MakeEdit(h4, u"100");
  rateEdit->SetStringProperty("numeric", "double");

  MQButton* ok = MakeButton(v2, u"OK");
  ok->SetBoolProperty("default", true);
  ok->SetIntProperty("modalresult", kResultOk);
  MQButton* cancel = MakeButton(v2, u"Cancel");
  cancel->SetBoolProperty("cancel", true);
  cancel->SetIntProperty("modalresult", kResultCancel);

  MQFrame* v3 = MakeVertFrame(h2);
  MQFrame* v4 = MakeVertFrame(h2);
  v3->SetHorzLayoutFill();

  MQFrame* h5 = MakeHorzFrame(v3);
  MakeButton(h5, kSelectAll)->HookExecute(this, &TovalinderDialog::OnSelectAll);
  MakeButton(h5, kInvertSelection)->HookExecute(this, &TovalinderDialog::OnInvertSelection);

  objectList = MakeListBox(v3);
  objectList->SetVertLayoutFill();
  objectList->SetMultiSelect();
  FillObjectList();

  keepNamesCheck = MakeCheckBox(v4, kKeepNames);
  uniqueIdCheck = checkedBox(MakeCheckBox(v4, kUniqueId));
  selectedOnlyCheck = MakeCheckBox(v4, kSelectedOnly);
  addedVerticesCheck = checkedBox(MakeCheckBox(v4, kAddedVertices));
  mirrorCheck = MakeCheckBox(v4, kMirror);
  backupCheck = checkedBox(MakeCheckBox(v4, kBackup));
  renameNewCheck = MakeCheckBox(v4, kRenameNew);
  elementsOnlyCheck = MakeCheckBox(v4, kElementsOnly);
  elementsOnlyCheck->HookExecute(this, &TovalinderDialog::OnFilterChanged);
  checkedBox(elementsOnlyCheck);
  sameCountCheck = MakeCheckBox(v4, kSameCount);
  sameCountCheck->HookExecute(this, &TovalinderDialog::OnFilterChanged);
  checkedBox(sameCountCheck);

  MQFrame* h6 = MakeHorzFrame(v4);
  coordinatesCheck = checkedBox(MakeCheckBox(h6, u"座標"));
  weightCheck = checkedBox(MakeCheckBox(h6, u"ウェイト"));
  edgeCheck = checkedBox(MakeCheckBox(h6, u"エッジ"));
  materialCheck = checkedBox(MakeCheckBox(h6, u"材質"));
  uvCheck = checkedBox(MakeCheckBox(h6, u"UV"));

  HookKeyDown(this, &TovalinderDialog::OnKeyDown);
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
  switch (record.key) {
  case 'A':
    ToggleCheck(addedVerticesCheck);
    break;
  case 'C':
    OnInvertSelection(nullptr, nullptr, nullptr);
    break;
  case 'E':
    ToggleCheck(elementsOnlyCheck);
    OnFilterChanged(nullptr, nullptr, nullptr);
    break;
  case 'G':
    ToggleCheck(uniqueIdCheck);
    break;
  case 'N':
    ToggleCheck(renameNewCheck);
    break;
  case 'Q':
    ToggleCheck(keepNamesCheck);
    break;
  case 'S':
    ToggleCheck(selectedOnlyCheck);
    break;
  case 'T':
    ToggleCheck(mirrorCheck);
    break;
  case 'V':
    ToggleCheck(sameCountCheck);
    OnFilterChanged(nullptr, nullptr, nullptr);
    break;
  case 'X':
    ToggleCheck(backupCheck);
    break;
  case 'Z':
    OnSelectAll(nullptr, nullptr, nullptr);
    break;
  case '4':
    // The Rate label underlines R, but its key is the digit 4.
    rateEdit->SetBoolProperty("focus", true);
    break;
  default:
    break;
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

  settings.keepObjectNames = keepNamesCheck->GetChecked();
  settings.useUniqueIds = uniqueIdCheck->GetChecked();
  settings.selectedVerticesOnly = selectedOnlyCheck->GetChecked();
  settings.morphAddedVertices = addedVerticesCheck->GetChecked();
  settings.mirrorMorph = mirrorCheck->GetChecked();
  settings.createBackupElements = backupCheck->GetChecked();
  settings.renameNewElements = renameNewCheck->GetChecked();
  settings.copyCoordinates = coordinatesCheck->GetChecked();
  settings.copyWeights = weightCheck->GetChecked();
  settings.copyMaterials = materialCheck->GetChecked();
  settings.copyUvs = uvCheck->GetChecked();
  settings.copyEdges = edgeCheck->GetChecked();
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
