// Accessors read through one function for every form glTF allows: all component types, normalized
// integers, byte strides, accessors without a buffer view (zeros) and sparse substitution. Every
// byte range is checked against its buffer view and buffer before anything is read.
#pragma once

#include "GltfAsset.h"

#include <cstdint>
#include <string>
#include <vector>

namespace runner {

// Elements past this count are refused (about 16.7 million vertices or indices per accessor).
constexpr std::uint64_t kMostAccessorElements = std::uint64_t{1} << 24;

// The forms no reader may take, checked on every accessor of the file whether the run reads it or
// not: normalized floats and 32-bit integers, sparse indices that are not strictly increasing or
// lie past the accessor.
void checkAccessorForms(const GltfAsset& asset);

// The accessor's count; `user` is the JSON path that refers to it, for messages.
size_t accessorCount(const GltfAsset& asset, size_t accessor, const std::string& user);

// The accessor's values as floats, `components` per element (it must be of that type: 2 VEC2,
// 3 VEC3). Integers are normalized when the accessor says so, else converted as they are. A float
// that is not finite (NaN, infinity) is refused, naming the accessor and the element.
std::vector<float> readFloats(const GltfAsset& asset, size_t accessor, int components,
                              const std::string& user);

// An index accessor: SCALAR unsigned bytes, shorts or ints.
std::vector<std::uint32_t> readIndices(const GltfAsset& asset, size_t accessor,
                                       const std::string& user);

} // namespace runner
