#include "dialog/DialogOptions.h"

#include "dialog/TovalinderDialog.h"

#include <algorithm>
#include <functional>

namespace dialog {

using D = TovalinderDialog;
using S = TransferSettings;

const DialogOption kDialogOptions[kDialogOptionCount] = {
    {"Source/Destinationオブジェクトの名前を維持する(&Q)", 'Q', false, OptionKind::Option,
     &S::keepObjectNames, &D::keepNamesCheck, "keep-object-names",
     "keep the Source and Destination names (no name exchange)"},
    {"同一頂点判定にユニークIDを使用する(&G)", 'G', true, OptionKind::Option, &S::useUniqueIds,
     &D::uniqueIdCheck, "use-unique-ids",
     "pair vertices by unique ID; when off, by position along the vertex order"},
    {"選択頂点のみモーフ反映する(&S)", 'S', false, OptionKind::Option, &S::selectedVerticesOnly,
     &D::selectedOnlyCheck, "selected-vertices-only",
     "transfer to the Destination's selected vertices and faces only"},
    {"追加頂点にも周辺頂点から計算してモーフ反映する(&A)", 'A', true, OptionKind::Option,
     &S::morphAddedVertices, &D::addedVerticesCheck, "morph-added-vertices",
     "give added vertices a morph interpolated from the surrounding matched vertices"},
    {"モーフ左右反転(&T)", 'T', false, OptionKind::Option, &S::mirrorMorph, &D::mirrorCheck,
     "mirror-morph", "mirror the morph left/right across x = 0"},
    {"バックアップエレメントを作成する(&X)", 'X', true, OptionKind::Option,
     &S::createBackupElements, &D::backupCheck, "create-backup-elements",
     "keep the old elements (under names beginning with #)"},
    {"新規エレメントは別名(～new)で作成する(&N)", 'N', false, OptionKind::Option,
     &S::renameNewElements, &D::renameNewCheck, "rename-new-elements",
     "give new elements another name (\"new\" and a number) and leave the old ones as they are"},
    {"エレメントオブジェクトのみリストアップする(&E)", 'E', true, OptionKind::ListFilter, nullptr,
     &D::elementsOnlyCheck, "elements-only",
     "list only the Source's elements (\"elem:<morph>-<Source>\")"},
    {"頂点数の等しいオブジェクトのみリストアップする(&V)", 'V', true, OptionKind::ListFilter,
     nullptr, &D::sameCountCheck, "same-vertex-count-only",
     "list only objects with as many vertices as the Source"},
    {"座標", 0, true, OptionKind::Attribute, &S::copyCoordinates, &D::coordinatesCheck,
     "copy-coordinates", "transfer the morph's vertex positions"},
    {"ウェイト", 0, true, OptionKind::Attribute, &S::copyWeights, &D::weightCheck, "copy-weights",
     "copy vertex weights"},
    {"エッジ", 0, true, OptionKind::Attribute, &S::copyEdges, &D::edgeCheck, "copy-edges",
     "copy edge creases"},
    {"材質", 0, true, OptionKind::Attribute, &S::copyMaterials, &D::materialCheck, "copy-materials",
     "copy face materials"},
    {"UV", 0, true, OptionKind::Attribute, &S::copyUvs, &D::uvCheck, "copy-uvs",
     "copy face UV coordinates"},
};

const DialogOption* optionFor(bool TransferSettings::*field) {
  for (const DialogOption& option : kDialogOptions)
    if (field && option.field == field)
      return &option;
  return nullptr;
}

const DialogOption* optionForKey(char key) {
  for (const DialogOption& option : kDialogOptions)
    if (key && option.key == key)
      return &option;
  return nullptr;
}

size_t optionIndex(const DialogOption& option) {
  return static_cast<size_t>(&option - kDialogOptions);
}

size_t optionIndex(bool TransferSettings::*field) {
  const DialogOption* option = optionFor(field);
  return option ? optionIndex(*option) : kDialogOptionCount;
}

size_t optionIndexForKey(char key) {
  const DialogOption* option = optionForKey(key);
  return option ? optionIndex(*option) : kDialogOptionCount;
}

namespace {

size_t indexOfBox(MQCheckBox* TovalinderDialog::*box) {
  for (size_t i = 0; i < kDialogOptionCount; ++i)
    if (kDialogOptions[i].box == box)
      return i;
  return kDialogOptionCount;
}

} // namespace

size_t elementsOnlyFilterIndex() {
  return indexOfBox(&D::elementsOnlyCheck);
}

size_t sameVertexCountFilterIndex() {
  return indexOfBox(&D::sameCountCheck);
}

std::vector<size_t> optionsInSettingsOrder() {
  // Fields of one record lie at increasing addresses in the order they are declared; the
  // filters, which have no field, come after them.
  static const TransferSettings record{};
  auto place = [](const DialogOption& option) -> const void* {
    return option.field ? static_cast<const void*>(&(record.*option.field))
                        : static_cast<const void*>(&record + 1);
  };
  std::vector<size_t> order(kDialogOptionCount);
  for (size_t i = 0; i < kDialogOptionCount; ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return std::less<const void*>()(place(kDialogOptions[a]), place(kDialogOptions[b]));
  });
  return order;
}

const char kDialogTitle[] = "Tovalinder";
const char kSourceLabel[] = "Source";
const char kDestinationLabel[] = "Destination";
const char kRateLabel[] = "Rate(&R)";
const char kInitialRateText[] = "100";
const char kSelectAllCaption[] = "全て選択(&Z)";
const char kInvertSelectionCaption[] = "選択反転(&C)";
const char kOkCaption[] = "OK";
const char kCancelCaption[] = "Cancel";
const char kSkippedFacesMessage[] = "Attributes of some faces were not copied.";

} // namespace dialog
