// Checked access to a glTF JSON tree: every lookup either answers a value of the expected kind
// or throws a FileError naming the file, the JSON path and what was found instead.
#pragma once

#include "GltfAsset.h"

#include <cstdint>
#include <string>

namespace runner {

[[noreturn]] void fail(const GltfAsset& asset, const std::string& jsonPath,
                       const std::string& what);

// Element `index` of an array, which must be an object.
const GltfJson& objectAt(const GltfAsset& asset, const GltfJson& array, size_t index,
                         const std::string& jsonPath);
// A non-negative integer member; absent and not required: `fallback`.
std::uint64_t unsignedMember(const GltfAsset& asset, const GltfJson& object, const char* key,
                             const std::string& jsonPath, bool required,
                             std::uint64_t fallback = 0);
// An index into the top-level array `list`; absent: -1 unless required.
long indexMember(const GltfAsset& asset, const GltfJson& object, const char* key,
                 const std::string& jsonPath, const char* list, bool required);
std::string stringMember(const GltfAsset& asset, const GltfJson& object, const char* key,
                         const std::string& jsonPath);
// A buffer view's bytes, checked to lie within its buffer.
struct ViewSpan {
  size_t buffer = 0;
  std::uint64_t offset = 0, length = 0;
};
ViewSpan bufferViewSpan(const GltfAsset& asset, size_t view);
// The top-level array `list` (an empty one when absent).
const GltfJson& topArray(const GltfAsset& asset, const char* list);
// The root must be an object with asset.version 2.x, and its top-level arrays arrays of objects.
void checkRoot(const GltfAsset& asset);
// The kinds of every glTF property in the file (strings, indices, numbers, objects, arrays).
void checkPropertyKinds(const GltfAsset& asset);
// Every extension the file requires is one this runner reads (GltfExtensions.cpp).
void checkRequiredExtensions(const GltfAsset& asset);

} // namespace runner
