// Where each block of a document goes in its side file, decided before anything is written so
// that the file can be named after its content. A block that holds the same values as one placed
// before it is not written again: the JSON names the earlier block's offset. A document of many
// elements of one mesh (each with its base's faces, UVs, IDs and weights) so stores the mesh once.
// Blocks are matched by their bytes, never by a hash alone. Readers take any offset, so a file
// written either way reads back the same.
#pragma once

#include "ObjectColumns.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace runner {

struct BlockPlace {
  std::uint64_t offset = 0;
  bool written = false; // false: the values are already in the file at `offset`
};

class SideFilePlan {
public:
  // Places the document's next block, in writing order. A block whose values live only in the
  // columns being collected (computed face sizes, selections) is kept for comparing later ones.
  void add(const ColumnData& column);

  // The places in the order the blocks were added.
  const BlockPlace& place(size_t index) const { return places_[index]; }
  std::uint64_t bytes() const { return bytes_; }
  // xxHash of the side file's bytes as written.
  std::uint64_t hash() const;

  SideFilePlan();
  ~SideFilePlan();
  SideFilePlan(const SideFilePlan&) = delete;
  SideFilePlan& operator=(const SideFilePlan&) = delete;

private:
  struct Written {
    ValueType type;
    const void* data;
    size_t count;
    std::uint64_t offset;
  };
  const Written* earlier(const ColumnData& column, std::uint64_t key) const;

  std::vector<BlockPlace> places_;
  std::unordered_multimap<std::uint64_t, Written> written_; // by a hash of the values
  std::vector<std::unique_ptr<std::uint32_t[]>> kept_;      // copies of computed blocks
  std::uint64_t bytes_ = 0;
  struct HashState;
  std::unique_ptr<HashState> state_;
};

} // namespace runner
