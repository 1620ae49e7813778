// Straightforward versions of the correspondence and transfer stages, kept to check the fast
// ones against: every position is asked of the host when it is needed, the diff keeps a node
// per explored step, the mirror search scans every vertex, the region flood recurses and the
// interpolation re-reads every boundary vertex for every added vertex and element. They run on
// their own tables so that both versions can be compared on twin documents.
#pragma once

#include "entry/Tovalinder.h"

#include <vector>

namespace oracle {

struct Run {
  MQDocument document = nullptr;
  cmq::CMQObject source;
  cmq::CMQObject destination;
  std::vector<cmq::CMQObject> elements;
  std::vector<cmq::CMQObject> newElements;
  IntMap vertexMap;
  IntMap mirrorMap;
  bool faceAttributesSkipped = false;

  void resetRun() {
    elements.clear();
    newElements.clear();
    vertexMap.clear();
    mirrorMap.clear();
    faceAttributesSkipped = false;
  }
  void buildMirrorMap();
  void buildVertexMap();
  int findSourceVertex(int v) const;
  void transferMorphs();
};

} // namespace oracle
