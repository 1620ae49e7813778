// What a document keeps beside its objects to answer quickly: its slots (SlotList.h) and an
// index of the names its objects bear. The index follows the host's own renames as they happen;
// a name assigned directly (ObjectName) marks every index stale, and a stale index is rebuilt
// on its next use. Internal to the simulated host; relies on SimHost.h.
#pragma once

#include "SlotList.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

// How many names have been assigned directly, in any object, since the host was loaded.
std::uint64_t directNameWrites();

class NameIndex {
public:
  // Objects bearing the name, in no particular order (null when none).
  const std::vector<Object*>* bearers(const std::string& name, const SlotList& slots);
  void add(Object* object);
  void remove(Object* object);
  // Whether the index follows every name: false when some name was assigned directly since.
  bool current() const { return builtAt_ == directNameWrites(); }

private:
  void rebuild(const SlotList& slots);

  std::unordered_map<std::string, std::vector<Object*>> byName_;
  std::uint64_t builtAt_ = ~std::uint64_t(0);
};

struct DocumentIndex {
  SlotList slots;
  NameIndex names;
};

} // namespace sim
