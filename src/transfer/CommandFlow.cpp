// The command flow: the run's steps in their fixed order, the collection of the picked
// elements, the removal of the old elements and the closing message.
#include "dialog/RunOptionsDialog.h"
#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/TransferSettings.h"
#include "widgets/MQWindow.h"

MQBOOL Tovalinder::runCommand() {
  TransferSettings& settings = transferSettings();
  elements.clear();
  newElements.clear();
  vertexMap.clear();
  mirrorMap.clear();
  faceAttributesSkipped = false;
  settings.accepted = false;

  if (!selectSourceAndDestination())
    return 1;
  rebuildCandidates(true, true);
  if (!RunOptionsDialog(this) || !settings.accepted)
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
  for (const CandidateEntry& entry : candidates)
    if (entry.selected)
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
  ShowInformationMessage(mainWindow, u"Attributes of some faces were not copied.", u"Tovalinder");
}
