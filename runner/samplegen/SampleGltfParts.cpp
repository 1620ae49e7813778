// The glTF sample's additions to the sample document: closed lips and a new UV island.
#include "SampleGltf.h"

#include "transfer/ElementNaming.h"

#include <string>

namespace runner {

namespace {

const int kLipColumns = 9;
const float kMouthY = 1.47f, kMouthZ = 0.215f;

// One lip: three rows of columns (outer edge, the fold where the lips meet, the inner edge).
// The upper lip's inner surface faces down, the lower lip's faces up; both meet on y = kMouthY.
void addLip(sim::Object& object, bool upper, float lift) {
  const float outerY = upper ? kMouthY + 0.012f : kMouthY - 0.012f;
  const float rows[3][2] = {
      {outerY, kMouthZ - 0.004f}, {kMouthY, kMouthZ}, {kMouthY, kMouthZ - 0.012f}};
  const int first = object.vertexCount();
  for (const auto& row : rows)
    for (int i = 0; i < kLipColumns; ++i)
      object.addVertex(-0.04f + 0.01f * static_cast<float>(i), row[0] + lift, row[1]);
  auto at = [&](int row, int i) { return first + row * kLipColumns + i; };
  for (int i = 0; i + 1 < kLipColumns; ++i) {
    const float u0 = 0.8f + 0.02f * static_cast<float>(i), u1 = u0 + 0.02f;
    const float v = upper ? 0.9f : 0.8f;
    std::vector<std::vector<int>> quads;
    if (upper)
      quads = {{at(0, i), at(1, i), at(1, i + 1), at(0, i + 1)},
               {at(1, i), at(2, i), at(2, i + 1), at(1, i + 1)}};
    else
      quads = {{at(1, i), at(0, i), at(0, i + 1), at(1, i + 1)},
               {at(2, i), at(1, i), at(1, i + 1), at(2, i + 1)}};
    for (size_t q = 0; q < quads.size(); ++q) {
      const int f = object.addFace(quads[q]);
      object.editMaterials()[static_cast<size_t>(f)] = 1;
      const float v0 = v + 0.04f * static_cast<float>(q), v1 = v0 + 0.04f;
      object.setFaceUvs(f, {{u0, v0}, {u0, v1}, {u1, v1}, {u1, v0}});
    }
  }
}

void addLips(sim::Object& object, float upperLift, float lowerLift) {
  addLip(object, true, upperLift);
  addLip(object, false, lowerLift);
}

// Faces round the vertices the edit added get their UVs moved to an island of their own.
void addUvIsland(sim::Object& edited, MQDWORD firstNewId) {
  for (int f = 0; f < edited.faceCount(); ++f) {
    bool aroundNew = false;
    for (int c = 0; c < edited.facePointCount(f); ++c)
      aroundNew =
          aroundNew || edited.vertexIds[static_cast<size_t>(edited.facePoints(f)[c])] >= firstNewId;
    if (!aroundNew)
      continue;
    MQCoordinate* uvs = edited.editFaceUvs(f);
    for (int c = 0; c < edited.facePointCount(f); ++c)
      uvs[c] = MQCoordinate{uvs[c].u * 0.5f + 1.25f, uvs[c].v * 0.5f + 1.25f};
  }
}

// The edit split some quads into triangle pairs (a, b, c) + (a, c, d): the diagonal a-c, the
// very one a glTF export fans a quad along. Flip them to (a, b, d) + (b, c, d), so that the
// edited copy's triangles differ from the Source's there, as after a real re-triangulation.
void flipSplitQuads(sim::Object& edited) {
  for (int f = 0; f + 1 < edited.faceCount(); ++f) {
    if (edited.facePointCount(f) != 3 || edited.facePointCount(f + 1) != 3)
      continue;
    const std::vector<int> t = edited.facePointList(f), s = edited.facePointList(f + 1);
    if (t[0] != s[0] || t[2] != s[1])
      continue;
    const std::vector<MQCoordinate> tu = edited.faceUvList(f), su = edited.faceUvList(f + 1);
    edited.setFacePoints(f, {t[0], t[1], s[2]});
    edited.setFaceUvs(f, {tu[0], tu[1], su[2]});
    edited.setFacePoints(f + 1, {t[1], t[2], s[2]});
    edited.setFaceUvs(f + 1, {tu[1], tu[2], su[2]});
    ++f;
  }
}

} // namespace

void addGltfSampleParts(sim::Document& document) {
  sim::Object* body = document.findObject("Body");
  sim::Object* edited = document.findObject("BodyEdited");
  if (!body || !edited)
    return;
  addUvIsland(*edited, body->nextVertexUniqueId);
  flipSplitQuads(*edited);
  for (sim::Object* object : document.objects()) {
    // The smile parts the lips a little; other morphs leave them.
    const bool element = naming::isElementOf(object->name(), body->name());
    const bool smile = element && naming::morphNameOf(object->name()) == "smile";
    if (object == body || object == edited || element)
      addLips(*object, smile ? 0.004f : 0.0f, smile ? -0.004f : 0.0f);
  }
}

} // namespace runner
