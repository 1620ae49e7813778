// The element pairs of a run: the k-th picked Source element with the k-th new element, and the
// vertex counts the passes check every index against, asked of the host once per element.
// Relies on the object handles and the bound host function table.
#pragma once

#include "objects/CMQObject.h"

#include <vector>

namespace transfer {

struct ElementPair {
  MQObject element = nullptr;    // the Source element (read only)
  MQObject newElement = nullptr; // its new element (written)
  int elementVertices = 0;       // as the host answered (0 for less)
  int newVertices = 0;
};

// One pair per index both lists have.
std::vector<ElementPair> readElementPairs(const std::vector<cmq::CMQObject>& elements,
                                          const std::vector<cmq::CMQObject>& newElements);

} // namespace transfer
