#include "entry/Tovalinder.h"

void Tovalinder::buildMirrorMap() {}
void Tovalinder::buildVertexMap() {}
int Tovalinder::findSourceVertex(int) const { return -1; }
void Tovalinder::transferMorphs() {}
