// A document's object slots in order, kept in blocks of a few hundred so that inserting a slot,
// answering the object in a slot and answering an object's slot all take about the same time
// however many slots there are: an insertion moves the slots of one block and renumbers the
// blocks after it; each object records its block and its offset there. Internal to the
// simulated host; relies on SimHost.h.
#pragma once

#include "SimHost.h"

#include <memory>
#include <vector>

namespace sim {

struct SlotBlock {
  int first = 0;              // the slot index of items[0]
  std::vector<Object*> items; // null: an empty slot
};

class SlotList {
public:
  int size() const { return size_; }
  // The object in a slot (null for an empty slot or a slot out of range).
  Object* at(int slot) const;
  // The slot of an object of this list's document; -1 for one that stands in no slot.
  int slotOf(const Object* object) const;
  // Places an object (or an empty slot, for null) at a slot index in 0..size(); the slots from
  // there on move one up.
  void insert(int slot, Object* object);
  // Leaves the slot empty; the object no longer stands in the list.
  void empty(int slot);
  // Every slot in order.
  template <typename Visit> void forEach(Visit&& visit) const {
    for (const auto& block : blocks_)
      for (Object* object : block->items)
        visit(object);
  }

private:
  size_t blockOf(int slot) const;
  void renumber(SlotBlock& block, size_t from);
  void split(size_t index);

  std::vector<std::unique_ptr<SlotBlock>> blocks_;
  int size_ = 0;
  mutable size_t lastBlock_ = 0; // where the last look-up ended: slots are mostly read in order
};

} // namespace sim
