// The object functions of the host interface.
#include "Exports.h"

#include <algorithm>
#include <cstring>

using namespace sim;

namespace {

HostState& state() {
  return hostState();
}

// Where a vertex or face index lies against the real object and the count answered for it.
inline Reach vertexReach(Object* object, int index, const char* function) {
  if (!object)
    return Reach::Past;
  return reach(index, object->vertexCount(),
               answerIn(state().answers.vertexCount, static_cast<const void*>(object)), function,
               "vertex");
}

inline Reach faceReach(Object* object, int index, const char* function) {
  if (!object)
    return Reach::Past;
  return reach(index, object->faceCount(),
               answerIn(state().answers.faceCount, static_cast<const void*>(object)), function,
               "face");
}

// True when the object is live and the index names one of its real vertices or faces.
inline bool hasVertex(Object* object, int index, const char* function) {
  return vertexReach(object, index, function) == Reach::Real;
}

inline bool hasFace(Object* object, int index, const char* function) {
  return faceReach(object, index, function) == Reach::Real;
}

const int* pointAnswer(const Object* object, int face) {
  return answerIn(state().answers.pointCount,
                  std::make_pair(static_cast<const void*>(object), face));
}

// Whether a write would leave a value as it is, bit for bit (so -0 and 0 differ, and a NaN is
// the same NaN only with the same bits).
bool sameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
bool samePoint(const MQPoint& a, const MQPoint& b) {
  return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z);
}
bool sameCoordinate(const MQCoordinate& a, const MQCoordinate& b) {
  return sameBits(a.u, b.u) && sameBits(a.v, b.v);
}

// The name as a host that forgets the terminator writes it: the whole buffer, no NUL.
void writeUnterminated(char* buffer, int size, const std::string& name) {
  const std::string text = name.empty() ? std::string("x") : name;
  for (int i = 0; i < size; ++i)
    buffer[i] = text[static_cast<size_t>(i) % text.size()];
}

} // namespace

SIMHOST_EXPORT void MQObj_Delete(MQObject obj) {
  SIMHOST_COUNT(MQObj_Delete);
  Object* object = checkedObject(obj, __func__);
  if (!object)
    return;
  if (object->document()) {
    recordMisuse(std::string(__func__) + ": object is in a document; delete it from there");
    return;
  }
  state().detached.erase(object);
  state().objects.erase(object);
  delete object;
}

SIMHOST_EXPORT MQObject MQObj_Clone(MQObject obj) {
  SIMHOST_COUNT(MQObj_Clone);
  Object* object = checkedObject(obj, __func__);
  if (!object || state().hostile == Hostile::NullObjects)
    return nullptr;
  // Each array in one copy; the copy stands in no document and has nothing selected.
  auto* copy = new Object(object->name());
  copy->depth = object->depth;
  copy->locked = object->locked;
  copy->visible = object->visible;
  copy->copyGeometry(*object);
  state().objects.insert(copy);
  state().detached.insert(copy);
  return copy->handle();
}

SIMHOST_EXPORT void MQObj_GetName(MQObject obj, char* buffer, int size) {
  SIMHOST_COUNT(MQObj_GetName);
  Object* object = checkedObject(obj, __func__);
  if (!checkedPointer(buffer, __func__, "buffer"))
    return;
  if (size <= 0) {
    recordMisuse(std::string(__func__) + ": buffer size " + std::to_string(size));
    return;
  }
  const std::string name = object ? object->name().str() : std::string();
  if (state().hostile == Hostile::UnterminatedNames) {
    writeUnterminated(buffer, size, name);
    return;
  }
  const size_t length = std::min(name.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, name.data(), length);
  buffer[length] = '\0';
}

SIMHOST_EXPORT MQBOOL MQObj_SetName(MQObject obj, const char* name) {
  SIMHOST_COUNT(MQObj_SetName);
  Object* object = checkedObject(obj, __func__);
  if (!object || !checkedPointer(name, __func__, "name"))
    return 0;
  if (Document* document = object->document())
    document->renameObject(object, name);
  else
    HostAccess::setName(object, cutName(name));
  return 1;
}

SIMHOST_EXPORT int MQObj_GetVertexCount(MQObject obj) {
  SIMHOST_COUNT(MQObj_GetVertexCount);
  Object* object = checkedObject(obj, __func__);
  if (!object)
    return 0;
  if (!hostileMode())
    return object->vertexCount();
  const int answer = hostileCount(object->vertexCount(), CountKind::Total);
  state().answers.vertexCount[object] = answer;
  return answer;
}

SIMHOST_EXPORT void MQObj_GetVertex(MQObject obj, int index, MQPoint* point) {
  SIMHOST_COUNT(MQObj_GetVertex);
  Object* object = checkedObject(obj, __func__);
  const bool real = hasVertex(object, index, __func__);
  if (!checkedPointer(point, __func__, "point"))
    return;
  *point = real ? object->positions[static_cast<size_t>(index)] : MQPoint{0, 0, 0};
}

SIMHOST_EXPORT void MQObj_SetVertex(MQObject obj, int index, MQPoint* point) {
  SIMHOST_COUNT(MQObj_SetVertex);
  Object* object = checkedObject(obj, __func__);
  if (!hasVertex(object, index, __func__) || !checkedPointer(point, __func__, "point"))
    return;
  // A write of the value held copies nothing (the array may be shared with a clone).
  if (!samePoint(object->positions[static_cast<size_t>(index)], *point))
    object->editPositions()[static_cast<size_t>(index)] = *point;
}

SIMHOST_EXPORT int MQObj_GetVertexRefCount(MQObject obj, int index) {
  SIMHOST_COUNT(MQObj_GetVertexRefCount);
  Object* object = checkedObject(obj, __func__);
  if (!hasVertex(object, index, __func__))
    return 0;
  return object->refCount(index);
}

SIMHOST_EXPORT MQDWORD MQObj_GetVertexUniqueID(MQObject obj, int index) {
  SIMHOST_COUNT(MQObj_GetVertexUniqueID);
  Object* object = checkedObject(obj, __func__);
  return hasVertex(object, index, __func__) ? object->vertexIds[static_cast<size_t>(index)] : 0;
}

SIMHOST_EXPORT int MQObj_GetVertexIndexFromUniqueID(MQObject obj, MQDWORD unique_id) {
  SIMHOST_COUNT(MQObj_GetVertexIndexFromUniqueID);
  Object* object = checkedObject(obj, __func__);
  return object ? object->vertexIndexFromUniqueId(unique_id) : -1;
}

SIMHOST_EXPORT int MQObj_GetVertexRelatedFaces(MQObject obj, int vertex, int* faces) {
  SIMHOST_COUNT(MQObj_GetVertexRelatedFaces);
  Object* object = checkedObject(obj, __func__);
  const Reach where = vertexReach(object, vertex, __func__);
  if (where == Reach::Past)
    return 0;
  const int* related = nullptr;
  const int real = where == Reach::Real ? object->relatedFaces(vertex, &related) : 0;
  if (!hostileMode()) {
    if (faces && real > 0)
      std::copy(related, related + real, faces);
    return real;
  }
  const auto key = std::make_pair(static_cast<const void*>(object), vertex);
  if (!faces) {
    const int answer = hostileCount(real, CountKind::Array);
    state().answers.relatedCount[key] = answer;
    return answer;
  }
  const int limit =
      fillLimit(real, answerIn(state().answers.relatedCount, key), __func__, "related-face fill");
  if (limit > 0)
    std::copy(related, related + limit, faces);
  return real;
}

SIMHOST_EXPORT float MQObj_GetVertexWeight(MQObject obj, int index) {
  SIMHOST_COUNT(MQObj_GetVertexWeight);
  Object* object = checkedObject(obj, __func__);
  return hasVertex(object, index, __func__) ? object->weights[static_cast<size_t>(index)] : 0.0f;
}

SIMHOST_EXPORT MQBOOL MQObj_SetVertexWeight(MQObject obj, int index, float weight) {
  SIMHOST_COUNT(MQObj_SetVertexWeight);
  Object* object = checkedObject(obj, __func__);
  if (!hasVertex(object, index, __func__))
    return 0;
  if (!sameBits(object->weights[static_cast<size_t>(index)], weight))
    object->editWeights()[static_cast<size_t>(index)] = weight;
  return 1;
}

SIMHOST_EXPORT int MQObj_GetFaceCount(MQObject obj) {
  SIMHOST_COUNT(MQObj_GetFaceCount);
  Object* object = checkedObject(obj, __func__);
  if (!object)
    return 0;
  if (!hostileMode())
    return object->faceCount();
  const int answer = hostileCount(object->faceCount(), CountKind::Total);
  state().answers.faceCount[object] = answer;
  return answer;
}

SIMHOST_EXPORT int MQObj_GetFacePointCount(MQObject obj, int face) {
  SIMHOST_COUNT(MQObj_GetFacePointCount);
  Object* object = checkedObject(obj, __func__);
  const Reach where = faceReach(object, face, __func__);
  if (where == Reach::Past)
    return 0;
  const int real = where == Reach::Real ? object->facePointCount(face) : 0;
  if (!hostileMode())
    return real;
  const int answer = hostileCount(real, CountKind::Array);
  state().answers.pointCount[std::make_pair(static_cast<const void*>(object), face)] = answer;
  return answer;
}

SIMHOST_EXPORT void MQObj_GetFacePointArray(MQObject obj, int face, int* vertices) {
  SIMHOST_COUNT(MQObj_GetFacePointArray);
  Object* object = checkedObject(obj, __func__);
  if (!hasFace(object, face, __func__) || !checkedPointer(vertices, __func__, "array"))
    return;
  const int limit =
      fillLimit(object->facePointCount(face), pointAnswer(object, face), __func__, "point fill");
  std::copy(object->facePoints(face), object->facePoints(face) + limit, vertices);
}

SIMHOST_EXPORT void MQObj_GetFaceCoordinateArray(MQObject obj, int face, MQCoordinate* uv_array) {
  SIMHOST_COUNT(MQObj_GetFaceCoordinateArray);
  Object* object = checkedObject(obj, __func__);
  if (!hasFace(object, face, __func__) || !checkedPointer(uv_array, __func__, "array"))
    return;
  const int limit = fillLimit(object->facePointCount(face), pointAnswer(object, face), __func__,
                              "coordinate fill");
  std::copy(object->faceUvs(face), object->faceUvs(face) + limit, uv_array);
}

SIMHOST_EXPORT void MQObj_SetFaceCoordinateArray(MQObject obj, int face, MQCoordinate* uv_array) {
  SIMHOST_COUNT(MQObj_SetFaceCoordinateArray);
  Object* object = checkedObject(obj, __func__);
  if (!hasFace(object, face, __func__) || !checkedPointer(uv_array, __func__, "array"))
    return;
  // The host reads one coordinate per point of the face: the caller's array must hold them all.
  const int limit = fillLimit(object->facePointCount(face), pointAnswer(object, face), __func__,
                              "coordinate read");
  const MQCoordinate* held = object->faceUvs(face);
  if (!std::equal(uv_array, uv_array + limit, held, sameCoordinate))
    std::copy(uv_array, uv_array + limit, object->editFaceUvs(face));
}

SIMHOST_EXPORT int MQObj_GetFaceMaterial(MQObject obj, int face) {
  SIMHOST_COUNT(MQObj_GetFaceMaterial);
  Object* object = checkedObject(obj, __func__);
  return hasFace(object, face, __func__) ? object->materials[static_cast<size_t>(face)] : -1;
}

SIMHOST_EXPORT void MQObj_SetFaceMaterial(MQObject obj, int face, int material) {
  SIMHOST_COUNT(MQObj_SetFaceMaterial);
  Object* object = checkedObject(obj, __func__);
  if (hasFace(object, face, __func__) && object->materials[static_cast<size_t>(face)] != material)
    object->editMaterials()[static_cast<size_t>(face)] = material;
}

SIMHOST_EXPORT MQDWORD MQObj_GetFaceUniqueID(MQObject obj, int face) {
  SIMHOST_COUNT(MQObj_GetFaceUniqueID);
  Object* object = checkedObject(obj, __func__);
  return hasFace(object, face, __func__) ? object->faceIds[static_cast<size_t>(face)] : 0;
}

SIMHOST_EXPORT int MQObj_GetFaceIndexFromUniqueID(MQObject obj, MQDWORD unique_id) {
  SIMHOST_COUNT(MQObj_GetFaceIndexFromUniqueID);
  Object* object = checkedObject(obj, __func__);
  return object ? object->faceIndexFromUniqueId(unique_id) : -1;
}

// True when the face is real and the edge lies within it (and within the host's answer).
static bool hasEdge(Object* object, int face, int line, const char* function) {
  return hasFace(object, face, function) &&
         reach(line, object->facePointCount(face), pointAnswer(object, face), function, "edge") ==
             Reach::Real;
}

SIMHOST_EXPORT float MQObj_GetFaceEdgeCrease(MQObject obj, int face, int line) {
  SIMHOST_COUNT(MQObj_GetFaceEdgeCrease);
  Object* object = checkedObject(obj, __func__);
  if (!hasEdge(object, face, line, __func__))
    return 0.0f;
  return object->faceCreases(face)[line];
}

SIMHOST_EXPORT MQBOOL MQObj_SetFaceEdgeCrease(MQObject obj, int face, int line, float crease) {
  SIMHOST_COUNT(MQObj_SetFaceEdgeCrease);
  Object* object = checkedObject(obj, __func__);
  if (!hasEdge(object, face, line, __func__))
    return 0;
  if (!sameBits(object->faceCreases(face)[line], crease))
    object->editFaceCreases(face)[line] = crease;
  return 1;
}

SIMHOST_EXPORT MQDWORD MQObj_GetVisible(MQObject obj) {
  SIMHOST_COUNT(MQObj_GetVisible);
  Object* object = checkedObject(obj, __func__);
  return object ? object->visible : 0;
}

SIMHOST_EXPORT void MQObj_SetVisible(MQObject obj, MQDWORD flag) {
  SIMHOST_COUNT(MQObj_SetVisible);
  Object* object = checkedObject(obj, __func__);
  if (object)
    object->visible = flag;
}

SIMHOST_EXPORT int MQObj_GetIntValue(MQObject obj, int type_id) {
  SIMHOST_COUNT(MQObj_GetIntValue);
  Object* object = checkedObject(obj, __func__);
  if (!object)
    return 0;
  switch (type_id) {
  case MQOBJ_ID_DEPTH:
    return object->depth;
  case MQOBJ_ID_LOCKING:
    return object->locked;
  case MQOBJ_ID_SELECTED:
    return object->selected;
  default:
    return 0;
  }
}

SIMHOST_EXPORT void MQObj_SetIntValue(MQObject obj, int type_id, int value) {
  SIMHOST_COUNT(MQObj_SetIntValue);
  Object* object = checkedObject(obj, __func__);
  if (!object)
    return;
  switch (type_id) {
  case MQOBJ_ID_DEPTH:
    object->depth = value;
    break;
  case MQOBJ_ID_LOCKING:
    object->locked = value;
    break;
  case MQOBJ_ID_SELECTED:
    object->selected = value;
    break;
  default:
    break;
  }
}
