#include "entry/Tovalinder.h"

// The command flow arrives with the command's stages; until then a run changes nothing.
MQBOOL Tovalinder::runCommand() {
  return 1;
}

int Tovalinder::selectSourceAndDestination() {
  return 0;
}
bool Tovalinder::rebuildCandidates(bool, bool) {
  return false;
}
void Tovalinder::collectElements() {}
int Tovalinder::setUpElements() {
  return 1;
}
void Tovalinder::exchangeNames() {}
void Tovalinder::removeOldElements() {}
void Tovalinder::reportSkippedFaces() {}
