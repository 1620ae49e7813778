// New accessors appended to a glTF asset: the bytes go to the end of the binary chunk's buffer
// (or of a new embedded buffer when the file has no binary chunk), each in a buffer view of its
// own; old bytes and indices are never moved.
#pragma once

#include "GltfAsset.h"

#include <cstdint>
#include <string>
#include <vector>

namespace runner {

class AccessorWriter {
public:
  explicit AccessorWriter(GltfAsset& asset);
  // Puts the pending bytes in place and fixes the buffer's byteLength (call once at the end).
  void finish();
  // Room for this many more bytes, taken at once: a buffer grown piece by piece past hundreds of
  // megabytes would be copied each time it doubles, and held twice while it is.
  void reserve(size_t bytes) { out_->reserve(out_->size() + bytes); }

  // A float accessor of elements `first` to `first + count` of `values` (`components` per
  // element, SCALAR to VEC4): with no data when all are zero, sparse when most elements are zero
  // and `allowSparse`, else dense. Answers its index.
  size_t addFloats(const std::vector<float>& values, size_t components, size_t first, size_t count,
                   const std::string& name, bool withBounds, bool allowSparse, bool& sparse);
  size_t addVec3(const std::vector<float>& values, size_t first, size_t count,
                 const std::string& name, bool withBounds, bool allowSparse, bool& sparse) {
    return addFloats(values, 3, first, count, name, withBounds, allowSparse, sparse);
  }
  // An index accessor (unsigned shorts when they fit, else unsigned ints).
  size_t addIndices(const std::vector<std::uint32_t>& indices);
  // A float SCALAR accessor (animation outputs).
  size_t addScalars(const std::vector<float>& values, bool withBounds);

private:
  size_t addView(const std::uint8_t* bytes, size_t size);
  size_t addAccessor(GltfJson accessor);

  GltfAsset& asset_;
  size_t buffer_ = 0;
  bool newBuffer_ = false;
  std::vector<std::uint8_t> bytes_; // a new buffer's bytes
  std::vector<std::uint8_t>* out_;  // the buffer appended to
};

} // namespace runner
