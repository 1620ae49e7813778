// The options dialog: Source and Destination names read-only, the candidate list with select all
// and invert, the options, the two list filters, the attribute boxes and the Rate; Alt keys toggle
// the options. Its initial states are fixed: every showing starts from them.
// Relies on the widget layer (widgets/), the settings record and the catalogue rebuild of the
// plug-in object (transfer/), the table of options and texts (DialogOptions.h) and the text
// conversions (TextConversion.h).
#pragma once

#include "widgets/MQWindow.h"

class Tovalinder;
struct TransferSettings;

class TovalinderDialog : public MQDialog {
public:
  TovalinderDialog(MQWindowBase& ownerWindow, Tovalinder* ownerPlugin,
                   TransferSettings& settingsRecord);

  // Clears the list box and adds one item per candidate, selected as the candidate is.
  void FillObjectList();

  int OnSelectAll(MQWidgetBase* sender, MQDocument document, void* record);
  int OnInvertSelection(MQWidgetBase* sender, MQDocument document, void* record);
  int OnFilterChanged(MQWidgetBase* sender, MQDocument document, void* record);
  int OnKeyDown(MQWidgetBase* sender, MQDocument document, KeyEventRecord& record);

  // Writes the dialog's state into the settings record (after OK).
  void ReadBack();

private:
  void MakeNameRows(MQFrame* grid);
  void MakeRateRow(MQFrame* column);
  void MakeCloseButtons(MQFrame* column);
  void MakeCheckBoxes(MQFrame* column);
  void ToggleCheck(MQCheckBox* box);

  TransferSettings& settings;

public:
  Tovalinder* owner = nullptr;
  MQEdit* rateEdit = nullptr;
  MQListBox* objectList = nullptr;
  MQCheckBox* keepNamesCheck = nullptr;
  MQCheckBox* uniqueIdCheck = nullptr;
  MQCheckBox* selectedOnlyCheck = nullptr;
  MQCheckBox* addedVerticesCheck = nullptr;
  MQCheckBox* mirrorCheck = nullptr;
  MQCheckBox* backupCheck = nullptr;
  MQCheckBox* renameNewCheck = nullptr;
  MQCheckBox* elementsOnlyCheck = nullptr;
  MQCheckBox* sameCountCheck = nullptr;
  MQCheckBox* coordinatesCheck = nullptr;
  MQCheckBox* weightCheck = nullptr;
  MQCheckBox* materialCheck = nullptr;
  MQCheckBox* uvCheck = nullptr;
  MQCheckBox* edgeCheck = nullptr;
};
