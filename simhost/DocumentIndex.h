// What a document keeps beside its objects to answer quickly: its slots (SlotList.h) and an
// index of the names its objects bear, which follows every rename as it happens (names change
// only through Object::setName and the host's own renames). Internal to the simulated host;
// relies on SimHost.h.
#pragma once

#include "SlotList.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

class NameIndex {
public:
  // Objects bearing the name, in no particular order (null when none).
  const std::vector<Object*>* bearers(const std::string& name) const;
  void add(Object* object);
  void remove(Object* object);

private:
  std::unordered_map<std::string, std::vector<Object*>> byName_;
};

struct DocumentIndex {
  SlotList slots;
  NameIndex names;
};

} // namespace sim
