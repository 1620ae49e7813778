#include "transfer/ElementPairs.h"

#include "host/HostTable.h"

#include <algorithm>

namespace transfer {

std::vector<ElementPair> readElementPairs(const std::vector<cmq::CMQObject>& elements,
                                          const std::vector<cmq::CMQObject>& newElements) {
  std::vector<ElementPair> pairs;
  const size_t count = std::min(elements.size(), newElements.size());
  for (size_t k = 0; k < count; ++k) {
    ElementPair pair;
    pair.element = elements[k].object;
    pair.newElement = newElements[k].object;
    pair.elementVertices = std::max(0, MQObj_GetVertexCount(pair.element));
    pair.newVertices = std::max(0, MQObj_GetVertexCount(pair.newElement));
    pairs.push_back(pair);
  }
  return pairs;
}

} // namespace transfer
