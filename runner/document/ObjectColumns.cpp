#include "ObjectColumns.h"

#include <cstring>

namespace runner {

namespace {

template <typename T> bool ascendingFromOne(const std::vector<T>& ids) {
  for (size_t i = 0; i < ids.size(); ++i)
    if (ids[i] != i + 1)
      return false;
  return true;
}

// Whether every 32-bit value of the array has exactly these bits.
bool allBits(const void* data, size_t count, std::uint32_t bits) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < count; ++i) {
    std::uint32_t value;
    std::memcpy(&value, bytes + i * 4, 4);
    if (value != bits)
      return false;
  }
  return true;
}

} // namespace

void collectColumns(const sim::Object& object, bool readable, ObjectColumns& out) {
  out = ObjectColumns();
  const size_t n = object.positions.size();
  const size_t m = object.faceIds.size();
  const size_t corners = object.points.size();
  out.selectedVertices.assign(object.selectedVertices.begin(), object.selectedVertices.end());
  out.selectedFaces.assign(object.selectedFaces.begin(), object.selectedFaces.end());
  out.sizes.resize(m);
  for (size_t f = 0; f < m; ++f)
    out.sizes[f] = static_cast<std::int32_t>(object.faceStart[f + 1] - object.faceStart[f]);
  const RowShape flat;
  const RowShape perFace{RowShape::Kind::Faces, 1, &object.faceStart.values()};
  const RowShape perFaceUv{RowShape::Kind::Faces, 2, &object.faceStart.values()};

  if (n) {
    const std::uint32_t one = 0x3F800000u; // 1.0f
    out.vertices.push_back({"positions", ValueType::Float, object.positions.data(), n * 3,
                            RowShape{RowShape::Kind::Fixed, 3, nullptr}});
    if (!ascendingFromOne(object.vertexIds.values()))
      out.vertices.push_back({"uniqueIds", ValueType::Unsigned, object.vertexIds.data(), n, flat});
    if (!allBits(object.weights.data(), n, one))
      out.vertices.push_back({"weights", ValueType::Float, object.weights.data(), n, flat});
    if (!out.selectedVertices.empty())
      out.vertices.push_back({"selected", ValueType::Int, out.selectedVertices.data(),
                              out.selectedVertices.size(), flat, true});
  }
  if (!m)
    return;
  if (!readable)
    out.faces.push_back({"sizes", ValueType::Int, out.sizes.data(), m, flat, true});
  out.faces.push_back(
      {"points", ValueType::Int, object.points.data(), corners, readable ? perFace : flat});
  if (!ascendingFromOne(object.faceIds.values()))
    out.faces.push_back({"uniqueIds", ValueType::Unsigned, object.faceIds.data(), m, flat});
  if (!allBits(object.materials.data(), m, 0xFFFFFFFFu)) // -1: no material
    out.faces.push_back({"materials", ValueType::Int, object.materials.data(), m, flat});
  if (!allBits(object.uvs.data(), corners * 2, 0))
    out.faces.push_back(
        {"uvs", ValueType::Float, object.uvs.data(), corners * 2, readable ? perFaceUv : flat});
  if (!allBits(object.creases.data(), corners, 0))
    out.faces.push_back(
        {"creases", ValueType::Float, object.creases.data(), corners, readable ? perFace : flat});
  if (!out.selectedFaces.empty())
    out.faces.push_back({"selected", ValueType::Int, out.selectedFaces.data(),
                         out.selectedFaces.size(), flat, true});
}

} // namespace runner
