#include "TransferWatch.h"

#include "SimHost.h"

#include <algorithm>
#include <map>

namespace runner {

namespace {

const char kClone[] = "MQObj_Clone";
const char kWrite[] = "MQObj_SetVertex";

unsigned long long countOf(const std::map<std::string, unsigned long long>& counts,
                           const char* name) {
  auto it = counts.find(name);
  return it == counts.end() ? 0 : it->second;
}

} // namespace

void TransferWatch::start(const sim::Host& host, size_t elements, int destinationVertices) {
  host_ = &host;
  const auto counts = host.callCounts();
  clonesBefore_ = countOf(counts, kClone);
  writesBefore_ = countOf(counts, kWrite);
  elements_ = elements;
  vertices_ = static_cast<unsigned long long>(std::max(destinationVertices, 1));
  started_ = true;
}

std::string TransferWatch::describe() const {
  const size_t n = elements_.load();
  if (n == 0)
    return "no element picked";
  const auto counts = host_.load()->callCounts();
  const unsigned long long clones = countOf(counts, kClone) - clonesBefore_.load();
  const unsigned long long writes = countOf(counts, kWrite) - writesBefore_.load();
  const std::string of = " of " + std::to_string(n);
  if (clones < n)
    return "making element " + std::to_string(clones + 1) + of;
  if (writes == 0)
    return "pairing vertices";
  const unsigned long long k = std::min<unsigned long long>(n, writes / vertices_.load() + 1);
  return "element " + std::to_string(k) + of;
}

} // namespace runner
