// The options dialog as a person sees it: each check box's caption, the state it opens with, the
// command-line flag the runner names it by and what it means in English. The scripted user finds
// the boxes by these captions, so they are the dialog's texts exactly.
#pragma once

#include <cstddef>

namespace runner {

struct DialogOption {
  const char* flag;    // long option without "--"; "--no-" + flag clears it
  const char* caption; // the check box's text (UTF-8)
  bool initiallyChecked;
  bool listFilter; // a filter of the element list, not stored with the options
  const char* meaning;
};

// The twelve options in the order the dialog stores them, then the two list filters.
extern const DialogOption kDialogOptions[];
extern const size_t kDialogOptionCount;

enum OptionIndex {
  kKeepObjectNames,
  kUseUniqueIds,
  kSelectedVerticesOnly,
  kMorphAddedVertices,
  kMirrorMorph,
  kCreateBackupElements,
  kRenameNewElements,
  kCopyCoordinates,
  kCopyWeights,
  kCopyMaterials,
  kCopyUvs,
  kCopyEdges,
  kElementsOnly,
  kSameVertexCountOnly,
};

// Other texts of the dialog the scripted user looks for.
extern const char kRateLabel[];
extern const char kDefaultRateText[];
extern const char kSelectAllCaption[];
extern const char kInvertSelectionCaption[];
extern const char kOkCaption[];
extern const char kCancelCaption[];
extern const char kClosingMessage[];

} // namespace runner
