// Faces of a document as read: points, sizes, unique IDs, materials, corner UVs and creases,
// checked and moved into the host object's flat arrays.
#include "NumberBlocks.h"
#include "ObjectBuilder.h"

#include <cstring>

namespace runner {

std::vector<int> ObjectBuilder::faceSizes(RawObject& raw, const std::string& place,
                                          const Column<std::int32_t>& points) {
  if (points.nested || (!raw.sizes.present && points.values.empty())) {
    if (raw.sizes.present)
      fail(place + ".sizes", "give either \"sizes\" with flat \"points\" or nested \"points\"");
    return std::vector<int>(points.rows.begin(), points.rows.end());
  }
  if (!raw.sizes.present)
    fail(place, "flat \"points\" need \"sizes\" (the number of points of each face)");
  Column<std::int32_t> s = take(raw.sizes, place + ".sizes");
  if (s.nested)
    fail(place + ".sizes", "expected one number per face");
  std::uint64_t total = 0;
  for (size_t f = 0; f < s.values.size(); ++f) {
    if (s.values[f] < 0)
      fail(at(place + ".sizes", f),
           "a face cannot have " + std::to_string(s.values[f]) + " points");
    total += static_cast<std::uint64_t>(s.values[f]);
  }
  if (total != points.values.size())
    fail(place + ".sizes", "the sizes add up to " + std::to_string(total) + " points, but " +
                               place + ".points holds " + std::to_string(points.values.size()));
  return std::move(s.values);
}

// UVs and creases: per face (an array of arrays sized by the face) or flat over all corners.
void ObjectBuilder::readCornerColumn(RawColumn<float>& raw, const std::string& place,
                                     size_t perPoint, const char* what,
                                     const std::vector<int>& sizes, size_t corners,
                                     std::vector<float>& out) {
  Column<float> c = take(raw, place);
  const size_t faceCount = sizes.size();
  if (c.nested) {
    if (c.rows.size() != faceCount)
      fail(place,
           "has " + std::to_string(c.rows.size()) + " entries for " + counted(faceCount, "face"));
    for (size_t f = 0; f < faceCount; ++f) {
      const size_t size = static_cast<size_t>(sizes[f]);
      if (c.rows[f] != perPoint * size)
        fail(at(place, f), "face " + std::to_string(f) + " has " + std::to_string(size) +
                               " points, so expected " + std::to_string(perPoint * size) +
                               " numbers (" + what + "), found " + std::to_string(c.rows[f]));
    }
  } else if (c.values.size() != perPoint * corners) {
    fail(place, "holds " + std::to_string(c.values.size()) + " numbers, but the faces have " +
                    std::to_string(corners) + " points in all (" + what + ")");
  }
  out = std::move(c.values);
}

// The faces' points, each checked to name a vertex of the object; the faces numbered from 1.
void ObjectBuilder::readFacePoints(Column<std::int32_t>& points, const std::vector<int>& sizes,
                                   const std::string& place, sim::Object& object) {
  const size_t faceCount = sizes.size();
  const size_t vertexCount = object.positions.size();
  object.editFaceStart().assign(1, 0);
  object.editFaceStart().reserve(faceCount + 1);
  object.editFaceIds().resize(faceCount);
  size_t corner = 0;
  for (size_t f = 0; f < faceCount; ++f) {
    const size_t size = static_cast<size_t>(sizes[f]);
    for (size_t c = 0; c < size; ++c) {
      const std::int32_t p = points.values[corner + c];
      if (p < 0 || static_cast<size_t>(p) >= vertexCount)
        fail(points.nested ? at(at(place, f), c) : at(place, corner + c),
             "face " + std::to_string(f) + " uses vertex " + std::to_string(p) +
                 ", but the object has " + counted(vertexCount, "vertex"));
    }
    object.editFaceIds()[f] = static_cast<MQDWORD>(f + 1);
    corner += size;
    object.editFaceStart().push_back(corner);
  }
  object.editPoints() = std::move(points.values);
  object.nextFaceUniqueId = static_cast<MQDWORD>(faceCount + 1);
}

// The faces' unique IDs and materials, where the document gives them.
void ObjectBuilder::readFaceValues(RawObject& raw, const std::string& place, size_t faceCount,
                                   sim::Object& object) {
  object.editMaterials().assign(faceCount, -1);
  if (raw.faceIds.present) {
    object.editFaceIds() = uniqueIds(raw.faceIds, place + ".uniqueIds", faceCount, "face");
    for (MQDWORD id : object.faceIds)
      object.nextFaceUniqueId = std::max(object.nextFaceUniqueId, id + 1);
  }
  if (raw.materials.present) {
    const std::string materialsPlace = place + ".materials";
    std::vector<int> values = flatColumn(raw.materials, materialsPlace, faceCount, "face");
    for (size_t f = 0; f < faceCount; ++f)
      if (values[f] < -1)
        fail(at(materialsPlace, f),
             "material " + std::to_string(values[f]) + ": use -1 for none or an index from 0");
    object.editMaterials() = std::move(values);
  }
}

// The corners' UVs and creases, where the document gives them; (0, 0) and 0 elsewhere.
void ObjectBuilder::readCornerValues(RawObject& raw, const std::string& place,
                                     const std::vector<int>& sizes, sim::Object& object) {
  const size_t corners = object.points.size();
  object.editUvs().assign(corners, MQCoordinate{0, 0});
  const std::string uvsPlace = place + ".uvs";
  const char* uvsAre = "u and v of each point";
  if (raw.uvs.present && raw.uvs.isBlock) {
    const std::uint32_t count = blockCount(raw.uvs.block, uvsPlace, blockTypeName<float>());
    if (count != 2 * corners)
      fail(uvsPlace, "holds " + std::to_string(count) + " numbers, but the faces have " +
                         std::to_string(corners) + " points in all (" + uvsAre + ")");
    blockInto(raw.uvs.block, uvsPlace, count, object.editUvs());
  } else if (raw.uvs.present) {
    std::vector<float> uvs;
    readCornerColumn(raw.uvs, uvsPlace, 2, uvsAre, sizes, corners, uvs);
    if (corners)
      std::memcpy(object.editUvs().data(), uvs.data(), corners * sizeof(MQCoordinate));
  }
  object.editCreases().assign(corners, 0.0f);
  if (raw.creases.present)
    readCornerColumn(raw.creases, place + ".creases", 1, "one per edge", sizes, corners,
                     object.editCreases());
}

void ObjectBuilder::readFaces(RawObject& raw, const std::string& place, sim::Object& object) {
  if (!raw.points.present)
    fail(place, "\"points\" is missing");
  const std::string pointsPlace = place + ".points";
  Column<std::int32_t> points = take(raw.points, pointsPlace);
  const std::vector<int> sizes = faceSizes(raw, place, points);
  readFacePoints(points, sizes, pointsPlace, object);
  readFaceValues(raw, place, sizes.size(), object);
  readCornerValues(raw, place, sizes, object);
  if (raw.selectedFaces.present)
    for (int index : indexList(raw.selectedFaces, place + ".selected", sizes.size(), "face"))
      object.selectedFaces.insert(index);
}

} // namespace runner
