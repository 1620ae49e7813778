#include "DialogOptions.h"

namespace runner {

const DialogOption kDialogOptions[] = {
    {"keep-object-names", "Source/Destinationオブジェクトの名前を維持する(&Q)", false, false,
     "keep the Source and Destination names (no name exchange)"},
    {"use-unique-ids", "同一頂点判定にユニークIDを使用する(&G)", true, false,
     "pair vertices by unique ID; when off, by position along the vertex order"},
    {"selected-vertices-only", "選択頂点のみモーフ反映する(&S)", false, false,
     "transfer to the Destination's selected vertices and faces only"},
    {"morph-added-vertices", "追加頂点にも周辺頂点から計算してモーフ反映する(&A)", true, false,
     "give added vertices a morph interpolated from the surrounding matched vertices"},
    {"mirror-morph", "モーフ左右反転(&T)", false, false,
     "mirror the morph left/right across x = 0"},
    {"create-backup-elements", "バックアップエレメントを作成する(&X)", true, false,
     "keep the old elements (under names beginning with #)"},
    {"rename-new-elements", "新規エレメントは別名(～new)で作成する(&N)", false, false,
     "give new elements another name (\"new\" and a number) and leave the old ones as they are"},
    {"copy-coordinates", "座標", true, false, "transfer the morph's vertex positions"},
    {"copy-weights", "ウェイト", true, false, "copy vertex weights"},
    {"copy-materials", "材質", true, false, "copy face materials"},
    {"copy-uvs", "UV", true, false, "copy face UV coordinates"},
    {"copy-edges", "エッジ", true, false, "copy edge creases"},
    {"elements-only", "エレメントオブジェクトのみリストアップする(&E)", true, true,
     "list only the Source's elements (\"elem:<morph>-<Source>\")"},
    {"same-vertex-count-only", "頂点数の等しいオブジェクトのみリストアップする(&V)", true, true,
     "list only objects with as many vertices as the Source"},
};
const size_t kDialogOptionCount = sizeof kDialogOptions / sizeof kDialogOptions[0];

const char kRateLabel[] = "Rate(&R)";
const char kDefaultRateText[] = "100";
const char kSelectAllCaption[] = "全て選択(&Z)";
const char kInvertSelectionCaption[] = "選択反転(&C)";
const char kOkCaption[] = "OK";
const char kCancelCaption[] = "Cancel";
const char kClosingMessage[] = "Attributes of some faces were not copied.";

} // namespace runner
