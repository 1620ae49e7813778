// The command flow: the run's steps in their fixed order, the collection of the picked
// elements, the removal of the old elements and the closing message.
#include "dialog/DialogOptions.h"
#include "dialog/RunOptionsDialog.h"
#include "dialog/TextConversion.h"
#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/TransferSettings.h"
#include "widgets/MQWindow.h"

void Tovalinder::resetRun() {
  elements.clear();
  newElements.clear();
  vertexMap.clear();
  mirrorMap.clear();
  faceAttributesSkipped = false;
  sourceSnapshot_ = transfer::MeshSnapshot();
  destinationSnapshot_ = transfer::MeshSnapshot();
}

MQBOOL Tovalinder::runCommand() {
  TransferSettings& settings = transferSettings();
  resetRun();
  settings.accepted = false;

  if (!selectSourceAndDestination())
    return 1;
  rebuildCandidates(true, true);
  if (!RunOptionsDialog(this) || !settings.accepted)
    return 1;
  // The host may have deleted objects while the dialog was open: without its Source or its
  // Destination the run has nothing to work on, and a deleted object must not be touched.
  if (!source.isValid() || !destination.isValid())
    return 1;

  collectElements();
  setUpElements();
  buildMirrorMap();
  buildVertexMap();
  transferMorphs();
  exchangeNames();
  removeOldElements();
  reportSkippedFaces();
  return 1;
}

void Tovalinder::collectElements() {
  std::vector<CandidateEntry>& candidates = transferSettings().candidates;
  // An object deleted while the dialog was open is no element any more.
  for (const CandidateEntry& entry : candidates)
    if (entry.selected && entry.object.isValid())
      elements.push_back(entry.object);
  candidates.clear();
}

void Tovalinder::removeOldElements() {
  if (transferSettings().createBackupElements)
    return;
  for (const cmq::CMQObject& old : elements) {
    const int index = MQDoc_GetObjectIndex(document, old.object);
    if (index != -1)
      MQDoc_DeleteObject(document, index);
    else
      MQObj_Delete(old.object);
  }
}

void Tovalinder::reportSkippedFaces() {
  if (!faceAttributesSkipped)
    return;
  MQWindow mainWindow;
  ShowInformationMessage(mainWindow, textconv::fromUtf8(dialog::kSkippedFacesMessage),
                         textconv::fromUtf8(dialog::kDialogTitle));
}
