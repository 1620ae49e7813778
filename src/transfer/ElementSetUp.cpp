// Element set-up and name exchange: a new element object per picked element, made from the
// Destination and standing beside the old element; afterwards the Destination takes the
// Source's name so that the new elements belong to it.
#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/ElementNaming.h"
#include "transfer/TransferSettings.h"

int Tovalinder::setUpElements() {
  const TransferSettings& settings = transferSettings();
  std::vector<cmq::CMQObject> madeFor;
  for (const cmq::CMQObject& old : elements) {
    cmq::CMQObject clone = destination.clone();
    // A host that could not copy the Destination gets no calls on a null object; the old
    // element then keeps its name and stays, as if it had not been picked.
    if (!clone.object)
      continue;
    const std::string name = old.name();
    if (settings.renameNewElements) {
      MQObj_SetName(clone.object, naming::newElementName(document, name).c_str());
    } else {
      MQObj_SetName(old.object, naming::backupName(document, name).c_str());
      MQObj_SetName(clone.object, name.c_str());
    }
    madeFor.push_back(old);
    newElements.push_back(clone);
    MQDoc_InsertObject(document, clone.object, old.object);
    MQObj_SetIntValue(clone.object, MQOBJ_ID_DEPTH, MQObj_GetIntValue(old.object, MQOBJ_ID_DEPTH));
    MQObj_SetVisible(clone.object, MQObj_GetVisible(old.object));
  }
  // Entry k of newElements belongs to entry k of elements.
  elements.swap(madeFor);
  return 1;
}

void Tovalinder::exchangeNames() {
  const TransferSettings& settings = transferSettings();
  if (settings.keepObjectNames || source.sameObject(destination))
    return;
  // The name taken when the run began; the Source still bears it here.
  MQObj_SetName(source.object, naming::backupName(document, settings.sourceName).c_str());
  MQObj_SetName(destination.object, settings.sourceName.c_str());
}
