#include "SlotList.h"

#include <algorithm>

namespace sim {

namespace {
// A block is split in two when it grows past this many slots: an insertion then moves at most
// this many pointers and renumbers at most slots / (kBlockSlots / 2) blocks.
constexpr size_t kBlockSlots = 512;
} // namespace

size_t SlotList::blockOf(int slot) const {
  const auto holds = [slot](const SlotBlock& block) {
    return slot >= block.first && slot < block.first + static_cast<int>(block.items.size());
  };
  if (lastBlock_ < blocks_.size() && holds(*blocks_[lastBlock_]))
    return lastBlock_;
  if (lastBlock_ + 1 < blocks_.size() && holds(*blocks_[lastBlock_ + 1]))
    return ++lastBlock_;
  const auto after = std::upper_bound(
      blocks_.begin(), blocks_.end(), slot,
      [](int value, const std::unique_ptr<SlotBlock>& block) { return value < block->first; });
  lastBlock_ = static_cast<size_t>(after - blocks_.begin()) - 1;
  return lastBlock_;
}

Object* SlotList::at(int slot) const {
  if (slot < 0 || slot >= size_)
    return nullptr;
  const SlotBlock& block = *blocks_[blockOf(slot)];
  return block.items[static_cast<size_t>(slot - block.first)];
}

int SlotList::slotOf(const Object* object) const {
  // The caller knows the object stands in this list's document.
  const SlotBlock* block = object ? object->place_.block : nullptr;
  return block ? block->first + object->place_.offset : -1;
}

void SlotList::renumber(SlotBlock& block, size_t from) {
  for (size_t i = from; i < block.items.size(); ++i)
    if (Object* object = block.items[i]) {
      object->place_.block = &block;
      object->place_.offset = static_cast<int>(i);
    }
}

void SlotList::split(size_t index) {
  SlotBlock& full = *blocks_[index];
  auto upper = std::make_unique<SlotBlock>();
  const size_t half = full.items.size() / 2;
  upper->first = full.first + static_cast<int>(half);
  upper->items.assign(full.items.begin() + static_cast<long>(half), full.items.end());
  full.items.resize(half);
  renumber(*upper, 0);
  blocks_.insert(blocks_.begin() + static_cast<long>(index) + 1, std::move(upper));
}

void SlotList::insert(int slot, Object* object) {
  if (blocks_.empty())
    blocks_.push_back(std::make_unique<SlotBlock>());
  // The end of the list belongs to the last block.
  const size_t index = slot >= size_ ? blocks_.size() - 1 : blockOf(slot);
  SlotBlock& block = *blocks_[index];
  const size_t offset = static_cast<size_t>(slot - block.first);
  block.items.insert(block.items.begin() + static_cast<long>(offset), object);
  renumber(block, offset);
  for (size_t b = index + 1; b < blocks_.size(); ++b)
    ++blocks_[b]->first;
  ++size_;
  if (block.items.size() > kBlockSlots)
    split(index);
}

void SlotList::empty(int slot) {
  if (slot < 0 || slot >= size_)
    return;
  SlotBlock& block = *blocks_[blockOf(slot)];
  Object*& item = block.items[static_cast<size_t>(slot - block.first)];
  if (item) {
    item->place_.block = nullptr;
    item->place_.offset = -1;
  }
  item = nullptr;
}

} // namespace sim
