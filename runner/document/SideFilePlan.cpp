#include "SideFilePlan.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>

namespace runner {

struct SideFilePlan::HashState {
  XXH3_state_t state;
};

SideFilePlan::SideFilePlan() : state_(std::make_unique<HashState>()) {
  XXH3_64bits_reset(&state_->state);
}

SideFilePlan::~SideFilePlan() = default;

const SideFilePlan::Written* SideFilePlan::earlier(const ColumnData& column,
                                                   std::uint64_t key) const {
  const auto range = written_.equal_range(key);
  for (auto it = range.first; it != range.second; ++it) {
    const Written& w = it->second;
    if (w.type == column.type && w.count == column.count &&
        (w.data == column.data || std::memcmp(w.data, column.data, column.count * 4) == 0))
      return &w;
  }
  return nullptr;
}

void SideFilePlan::add(const ColumnData& column) {
  const size_t bytes = column.count * 4;
  const std::uint64_t key = XXH3_64bits(column.data, bytes);
  if (const Written* w = earlier(column, key)) {
    places_.push_back(BlockPlace{w->offset, false});
    return;
  }
  const void* data = column.data;
  if (column.computed) {
    kept_.emplace_back(new std::uint32_t[column.count]);
    std::memcpy(kept_.back().get(), column.data, bytes);
    data = kept_.back().get();
  }
  written_.emplace(key, Written{column.type, data, column.count, bytes_});
  places_.push_back(BlockPlace{bytes_, true});
  XXH3_64bits_update(&state_->state, column.data, bytes);
  bytes_ += bytes;
}

std::uint64_t SideFilePlan::hash() const {
  return XXH3_64bits_digest(&state_->state);
}

} // namespace runner
