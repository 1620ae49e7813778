// The options dialog's texts and its options as one table: the twelve options and the two list
// filters, each with its caption, Alt key, initial state, the settings field OK stores it in and
// the dialog member that holds its check box, plus the name the runner gives it on its command
// line and a short English meaning. The dialog is built from the table (in its order, the order
// of construction), answers the Alt keys and reads back on OK from it; the runner and the tests
// name the options through it instead of retyping captions.
// Texts are UTF-8. Relies on the settings record (its fields) and the dialog class (its members).
#pragma once

#include "transfer/TransferSettings.h"

#include <cstddef>
#include <vector>

class MQCheckBox;
class TovalinderDialog;

namespace dialog {

enum class OptionKind {
  Option,     // an option of the run, in the column of check boxes
  ListFilter, // a filter of the element list, in the same column; not stored
  Attribute,  // what to copy, in the row of boxes below the column
};

struct DialogOption {
  const char* caption; // the check box's text
  char key;            // the Alt key that toggles it ('A' to 'Z'); 0: none
  bool initiallyChecked;
  OptionKind kind;
  bool TransferSettings::*field;      // where OK stores it; null for a list filter
  MQCheckBox* TovalinderDialog::*box; // the dialog's member holding its check box
  const char* flag;                   // the runner's long option, without "--"
  const char* meaning;
};

constexpr size_t kDialogOptionCount = 14;
extern const DialogOption kDialogOptions[kDialogOptionCount];

// The entry whose settings field, or whose Alt key, this is (null when none is).
const DialogOption* optionFor(bool TransferSettings::*field);
const DialogOption* optionForKey(char key);
// The position of an entry in the table; of the one a settings field stores; of the one an Alt
// key toggles (kDialogOptionCount when there is none).
size_t optionIndex(const DialogOption& option);
size_t optionIndex(bool TransferSettings::*field);
size_t optionIndexForKey(char key);
// The positions of the two list filters, which have no settings field.
size_t elementsOnlyFilterIndex();
size_t sameVertexCountFilterIndex();
// Table positions in the order the settings record stores the options, then the list filters.
std::vector<size_t> optionsInSettingsOrder();

// The dialog's other texts.
extern const char kDialogTitle[];
extern const char kSourceLabel[];
extern const char kDestinationLabel[];
extern const char kRateLabel[];
extern const char kInitialRateText[];
extern const char kSelectAllCaption[];       // Alt+Z
extern const char kInvertSelectionCaption[]; // Alt+C
extern const char kOkCaption[];
extern const char kCancelCaption[];
// The Alt keys that are not an option's: select all, invert the selection, and the key that
// moves the focus to the Rate edit (the digit 4, although the label underlines R).
constexpr char kSelectAllKey = 'Z';
constexpr char kInvertSelectionKey = 'C';
constexpr char kRateFocusKey = '4';
// The closing message of a run that could not copy some face's attributes.
extern const char kSkippedFacesMessage[];

} // namespace dialog
