// The numeric arrays of an object as a document holds them, in the order they are written,
// pointing straight into the object's own flat arrays (computed only where the document's form
// differs from the host's: face sizes, selections). Arrays holding only defaults are left out.
#pragma once

#include "SimHost.h"

#include <cstdint>
#include <vector>

namespace runner {

enum class ValueType { Float, Int, Unsigned };

// How the readable layout breaks an array into lines.
struct RowShape {
  enum class Kind { Flat, Fixed, Faces } kind = Kind::Flat;
  size_t width = 0;                               // Fixed: values per row; Faces: per point
  const std::vector<size_t>* faceStart = nullptr; // Faces: the object's corner offsets
};

struct ColumnData {
  const char* key;
  ValueType type;
  const void* data; // count little-endian 32-bit values
  size_t count;
  RowShape rows;
  bool computed = false; // the values live in ObjectColumns, not in the object
};

struct ObjectColumns {
  std::vector<ColumnData> vertices, faces;
  // Arrays the document holds in a form of its own.
  std::vector<std::int32_t> sizes, selectedVertices, selectedFaces;
};

// readable: the readable layout, where faces are arrays of points instead of sizes and a flat
// array.
void collectColumns(const sim::Object& object, bool readable, ObjectColumns& out);

} // namespace runner
