#include "dialog/RunOptionsDialog.h"
#include "entry/Tovalinder.h"
bool RunOptionsDialog(Tovalinder*) {
  return false;
}
void Tovalinder::reportSkippedFaces() {}
