// An object of a document file as the streaming reader collects it, before it is checked and
// turned into a host object: scalar members as written, and every numeric array either as the
// numbers themselves (flat, with the row lengths when it was an array of arrays) or as the
// description of a data block that has not been loaded yet.
#pragma once

#include "Scalar.h"

#include <cstdint>
#include <string>
#include <vector>

namespace runner {

// The members of a block object: {"type", "count", "base64" or "offset"}.
struct BlockHeader {
  Scalar type, count, base64, offset;
};

// What a numeric array is, whatever its value type.
struct ColumnShape {
  bool present = false;
  bool isBlock = false;
  BlockHeader block;
  std::vector<std::uint32_t> rows; // an array of arrays: the length of each
  bool nested = false;
  bool hasEntries = false; // an array: whether its first entry decided flat or nested
};

template <typename T> struct RawColumn : ColumnShape { std::vector<T> values; };

struct RawObject {
  std::size_t slot = 0;
  Scalar name, depth, locked, selected, visible;
  bool hasVertices = false, hasFaces = false;
  // Vertices.
  RawColumn<float> positions, weights;
  RawColumn<std::uint32_t> vertexIds;
  RawColumn<std::int32_t> selectedVertices;
  // Faces.
  RawColumn<std::int32_t> points, sizes, materials, selectedFaces;
  RawColumn<std::uint32_t> faceIds;
  RawColumn<float> uvs, creases;

  bool usesSideFile() const;
};

} // namespace runner
