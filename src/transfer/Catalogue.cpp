// The object catalogue: which objects are the Source and the Destination, and which objects the
// options dialog lists for the user to pick. Both walks ask the slot count again after every
// slot and skip slots without a valid object.
#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/ElementNaming.h"
#include "transfer/TransferSettings.h"

int Tovalinder::selectSourceAndDestination() {
  cmq::CMQObject found[2];
  int count = 0;
  for (int i = 0; i < MQDoc_GetObjectCount(document); ++i) {
    cmq::CMQObject slot = cmq::objectAt(document, i);
    if (!slot.isValid())
      continue;
    if (MQObj_GetIntValue(slot.object, MQOBJ_ID_SELECTED) == 0)
      continue;
    // Only the first two selected objects count; the walk ends at a third.
    if (count == 2)
      break;
    found[count++] = slot;
  }
  if (count == 0)
    return 0;
  source = found[0];
  destination = count == 2 ? found[1] : found[0];
  TransferSettings& settings = transferSettings();
  settings.sourceName = source.name();
  settings.destinationName = destination.name();
  return 1;
}

bool Tovalinder::rebuildCandidates(bool elementsOnly, bool sameVertexCountOnly) {
  std::vector<CandidateEntry>& candidates = transferSettings().candidates;
  candidates.clear();
  // The Source's current name, not the one taken when the run began.
  const std::string sourceBase = naming::baseName(source.name());
  const int sourceVertexCount = MQObj_GetVertexCount(source.object);
  for (int i = 0; i < MQDoc_GetObjectCount(document); ++i) {
    cmq::CMQObject slot = cmq::objectAt(document, i);
    if (!slot.isValid())
      continue;
    if (slot.sameObject(source) || slot.sameObject(destination))
      continue;
    if (sameVertexCountOnly && MQObj_GetVertexCount(slot.object) != sourceVertexCount)
      continue;
    if (elementsOnly && !naming::isElementOf(slot.name(), sourceBase))
      continue;
    CandidateEntry entry;
    entry.object = slot;
    entry.selected = MQObj_GetIntValue(slot.object, MQOBJ_ID_LOCKING) == 0;
    candidates.push_back(entry);
  }
  return !candidates.empty();
}
