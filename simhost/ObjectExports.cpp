// The object functions of the host interface.
#include "Exports.h"

#include <cstring>

using namespace sim;

namespace {

HostState& state() {
  return hostState();
}

bool hostileMode() {
  return state().hostile != Hostile::None;
}

// Where a vertex or face index lies against the real object and the count answered for it.
Reach vertexReach(Object* object, int index, const char* function) {
  if (!object)
    return Reach::Past;
  return reach(index, object->vertexCount(),
               answerIn(state().answers.vertexCount, static_cast<const void*>(object)), function,
               "vertex");
}

Reach faceReach(Object* object, int index, const char* function) {
  if (!object)
    return Reach::Past;
  return reach(index, object->faceCount(),
               answerIn(state().answers.faceCount, static_cast<const void*>(object)), function,
               "face");
}

const Vertex* vertexAt(Object* object, int index, const char* function) {
  if (vertexReach(object, index, function) != Reach::Real)
    return nullptr;
  return &object->vertices[static_cast<size_t>(index)];
}

Face* faceAt(Object* object, int index, const char* function) {
  if (faceReach(object, index, function) != Reach::Real)
    return nullptr;
  return &object->faces[static_cast<size_t>(index)];
}

const int* pointAnswer(const Object* object, int face) {
  return answerIn(state().answers.pointCount,
                  std::make_pair(static_cast<const void*>(object), face));
}

// The name as a host that forgets the terminator writes it: the whole buffer, no NUL.
void writeUnterminated(char* buffer, int size, const std::string& name) {
  const std::string text = name.empty() ? std::string("x") : name;
  for (int i = 0; i < size; ++i)
    buffer[i] = text[static_cast<size_t>(i) % text.size()];
}

} // namespace

SIMHOST_EXPORT void MQObj_Delete(MQObject obj) {
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
  Object* object = checkedObject(obj, __func__);
  if (!object || state().hostile == Hostile::NullObjects)
    return nullptr;
  auto* copy = new Object(*object);
  HostAccess::setDocument(copy, nullptr);
  copy->selected = 0;
  copy->selectedVertices.clear();
  copy->selectedFaces.clear();
  copy->invalidateCaches();
  state().objects.insert(copy);
  state().detached.insert(copy);
  return copy->handle();
}

SIMHOST_EXPORT void MQObj_GetName(MQObject obj, char* buffer, int size) {
  Object* object = checkedObject(obj, __func__);
  if (!checkedPointer(buffer, __func__, "buffer"))
    return;
  if (size <= 0) {
    recordMisuse(std::string(__func__) + ": buffer size " + std::to_string(size));
    return;
  }
  const std::string name = object ? object->name : std::string();
  if (state().hostile == Hostile::UnterminatedNames) {
    writeUnterminated(buffer, size, name);
    return;
  }
  const size_t length = std::min(name.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, name.data(), length);
  buffer[length] = '\0';
}

SIMHOST_EXPORT MQBOOL MQObj_SetName(MQObject obj, const char* name) {
  Object* object = checkedObject(obj, __func__);
  if (!object || !checkedPointer(name, __func__, "name"))
    return 0;
  object->name = name;
  return 1;
}

SIMHOST_EXPORT int MQObj_GetVertexCount(MQObject obj) {
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
  const Vertex* vertex = vertexAt(checkedObject(obj, __func__), index, __func__);
  if (!checkedPointer(point, __func__, "point"))
    return;
  *point = vertex ? vertex->position : MQPoint{0, 0, 0};
}

SIMHOST_EXPORT void MQObj_SetVertex(MQObject obj, int index, MQPoint* point) {
  Object* object = checkedObject(obj, __func__);
  const Vertex* vertex = vertexAt(object, index, __func__);
  if (!vertex || !checkedPointer(point, __func__, "point"))
    return;
  object->vertices[static_cast<size_t>(index)].position = *point;
}

SIMHOST_EXPORT int MQObj_GetVertexRefCount(MQObject obj, int index) {
  Object* object = checkedObject(obj, __func__);
  if (!vertexAt(object, index, __func__))
    return 0;
  return object->refCount(index);
}

SIMHOST_EXPORT MQDWORD MQObj_GetVertexUniqueID(MQObject obj, int index) {
  const Vertex* vertex = vertexAt(checkedObject(obj, __func__), index, __func__);
  return vertex ? vertex->uniqueId : 0;
}

SIMHOST_EXPORT int MQObj_GetVertexIndexFromUniqueID(MQObject obj, MQDWORD unique_id) {
  Object* object = checkedObject(obj, __func__);
  return object ? object->vertexIndexFromUniqueId(unique_id) : -1;
}

SIMHOST_EXPORT int MQObj_GetVertexRelatedFaces(MQObject obj, int vertex, int* faces) {
  Object* object = checkedObject(obj, __func__);
  const Reach where = vertexReach(object, vertex, __func__);
  if (where == Reach::Past)
    return 0;
  const std::vector<int> related =
      where == Reach::Real ? object->relatedFaces(vertex) : std::vector<int>();
  const int real = static_cast<int>(related.size());
  if (!hostileMode()) {
    if (faces)
      std::copy(related.begin(), related.end(), faces);
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
  std::copy(related.begin(), related.begin() + limit, faces);
  return real;
}

SIMHOST_EXPORT float MQObj_GetVertexWeight(MQObject obj, int index) {
  const Vertex* vertex = vertexAt(checkedObject(obj, __func__), index, __func__);
  return vertex ? vertex->weight : 0.0f;
}

SIMHOST_EXPORT MQBOOL MQObj_SetVertexWeight(MQObject obj, int index, float weight) {
  Object* object = checkedObject(obj, __func__);
  if (!vertexAt(object, index, __func__))
    return 0;
  object->vertices[static_cast<size_t>(index)].weight = weight;
  return 1;
}

SIMHOST_EXPORT int MQObj_GetFaceCount(MQObject obj) {
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
  Object* object = checkedObject(obj, __func__);
  const Reach where = faceReach(object, face, __func__);
  if (where == Reach::Past)
    return 0;
  const int real = where == Reach::Real
                       ? static_cast<int>(object->faces[static_cast<size_t>(face)].points.size())
                       : 0;
  if (!hostileMode())
    return real;
  const int answer = hostileCount(real, CountKind::Array);
  state().answers.pointCount[std::make_pair(static_cast<const void*>(object), face)] = answer;
  return answer;
}

SIMHOST_EXPORT void MQObj_GetFacePointArray(MQObject obj, int face, int* vertices) {
  Object* object = checkedObject(obj, __func__);
  const Face* f = faceAt(object, face, __func__);
  if (!f || !checkedPointer(vertices, __func__, "array"))
    return;
  const int limit = fillLimit(static_cast<int>(f->points.size()), pointAnswer(object, face),
                              __func__, "point fill");
  std::copy(f->points.begin(), f->points.begin() + limit, vertices);
}

SIMHOST_EXPORT void MQObj_GetFaceCoordinateArray(MQObject obj, int face, MQCoordinate* uv_array) {
  Object* object = checkedObject(obj, __func__);
  const Face* f = faceAt(object, face, __func__);
  if (!f || !checkedPointer(uv_array, __func__, "array"))
    return;
  const int limit = fillLimit(static_cast<int>(f->uvs.size()), pointAnswer(object, face), __func__,
                              "coordinate fill");
  std::copy(f->uvs.begin(), f->uvs.begin() + limit, uv_array);
}

SIMHOST_EXPORT void MQObj_SetFaceCoordinateArray(MQObject obj, int face, MQCoordinate* uv_array) {
  Object* object = checkedObject(obj, __func__);
  Face* f = faceAt(object, face, __func__);
  if (!f || !checkedPointer(uv_array, __func__, "array"))
    return;
  // The host reads one coordinate per point of the face: the caller's array must hold them all.
  const int limit = fillLimit(static_cast<int>(f->points.size()), pointAnswer(object, face),
                              __func__, "coordinate read");
  std::copy(uv_array, uv_array + limit, f->uvs.begin());
}

SIMHOST_EXPORT int MQObj_GetFaceMaterial(MQObject obj, int face) {
  const Face* f = faceAt(checkedObject(obj, __func__), face, __func__);
  return f ? f->material : -1;
}

SIMHOST_EXPORT void MQObj_SetFaceMaterial(MQObject obj, int face, int material) {
  Face* f = faceAt(checkedObject(obj, __func__), face, __func__);
  if (f)
    f->material = material;
}

SIMHOST_EXPORT MQDWORD MQObj_GetFaceUniqueID(MQObject obj, int face) {
  const Face* f = faceAt(checkedObject(obj, __func__), face, __func__);
  return f ? f->uniqueId : 0;
}

SIMHOST_EXPORT int MQObj_GetFaceIndexFromUniqueID(MQObject obj, MQDWORD unique_id) {
  Object* object = checkedObject(obj, __func__);
  return object ? object->faceIndexFromUniqueId(unique_id) : -1;
}

SIMHOST_EXPORT float MQObj_GetFaceEdgeCrease(MQObject obj, int face, int line) {
  Object* object = checkedObject(obj, __func__);
  const Face* f = faceAt(object, face, __func__);
  if (!f || reach(line, static_cast<int>(f->points.size()), pointAnswer(object, face), __func__,
                  "edge") != Reach::Real)
    return 0.0f;
  return f->creases[static_cast<size_t>(line)];
}

SIMHOST_EXPORT MQBOOL MQObj_SetFaceEdgeCrease(MQObject obj, int face, int line, float crease) {
  Object* object = checkedObject(obj, __func__);
  Face* f = faceAt(object, face, __func__);
  if (!f || reach(line, static_cast<int>(f->points.size()), pointAnswer(object, face), __func__,
                  "edge") != Reach::Real)
    return 0;
  f->creases[static_cast<size_t>(line)] = crease;
  return 1;
}

SIMHOST_EXPORT MQDWORD MQObj_GetVisible(MQObject obj) {
  Object* object = checkedObject(obj, __func__);
  return object ? object->visible : 0;
}

SIMHOST_EXPORT void MQObj_SetVisible(MQObject obj, MQDWORD flag) {
  Object* object = checkedObject(obj, __func__);
  if (object)
    object->visible = flag;
}

SIMHOST_EXPORT int MQObj_GetIntValue(MQObject obj, int type_id) {
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
