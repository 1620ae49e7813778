// The document functions of the host interface.
#include "Exports.h"

#include <cstring>

using namespace sim;

namespace {
// Where a slot index lies against the document and the object count answered for it.
Reach slotReach(Document* document, int index, const char* function) {
  if (!document)
    return Reach::Past;
  return reach(index, document->slotCount(),
               answerIn(hostState().answers.objectCount, static_cast<const void*>(document)),
               function, "slot");
}
} // namespace

SIMHOST_EXPORT int MQDoc_GetObjectCount(MQDocument doc) {
  SIMHOST_COUNT(MQDoc_GetObjectCount);
  Document* document = checkedDocument(doc, __func__);
  if (!document)
    return 0;
  if (hostState().hostile == Hostile::None)
    return document->slotCount();
  const int answer = hostileCount(document->slotCount(), CountKind::Total);
  hostState().answers.objectCount[document] = answer;
  return answer;
}

SIMHOST_EXPORT MQObject MQDoc_GetObject(MQDocument doc, int index) {
  SIMHOST_COUNT(MQDoc_GetObject);
  Document* document = checkedDocument(doc, __func__);
  if (slotReach(document, index, __func__) != Reach::Real ||
      hostState().hostile == Hostile::NullObjects)
    return nullptr;
  Object* object = document->objectAt(index);
  return object ? object->handle() : nullptr;
}

SIMHOST_EXPORT int MQDoc_DeleteObject(MQDocument doc, int index) {
  SIMHOST_COUNT(MQDoc_DeleteObject);
  Document* document = checkedDocument(doc, __func__);
  if (slotReach(document, index, __func__) != Reach::Real)
    return 0;
  if (!document->objectAt(index)) {
    recordMisuse(std::string(__func__) + ": slot " + std::to_string(index) + " is empty");
    return 0;
  }
  document->deleteObject(index);
  return 1;
}

SIMHOST_EXPORT int MQDoc_GetObjectIndex(MQDocument doc, MQObject obj) {
  SIMHOST_COUNT(MQDoc_GetObjectIndex);
  Document* document = checkedDocument(doc, __func__);
  if (!document)
    return -1;
  // A handle to an object that is gone is a normal question here: the answer is "not listed".
  Object* object = liveObject(obj);
  return object ? document->indexOf(object) : -1;
}

SIMHOST_EXPORT void MQDoc_GetUnusedObjectName(MQDocument doc, char* buffer, int buffer_size,
                                              const char* base_name) {
  SIMHOST_COUNT(MQDoc_GetUnusedObjectName);
  Document* document = checkedDocument(doc, __func__);
  if (!checkedPointer(buffer, __func__, "buffer") || !checkedPointer(base_name, __func__, "name"))
    return;
  if (buffer_size <= 0) {
    recordMisuse(std::string(__func__) + ": buffer size " + std::to_string(buffer_size));
    return;
  }
  const std::string name = document ? document->unusedObjectName(base_name) : base_name;
  if (hostState().hostile == Hostile::UnterminatedNames) {
    // The whole buffer, no terminator: the name's bytes repeated.
    const std::string text = name.empty() ? std::string("x") : name;
    for (int i = 0; i < buffer_size; ++i)
      buffer[i] = text[static_cast<size_t>(i) % text.size()];
    return;
  }
  const size_t length = std::min(name.size(), static_cast<size_t>(buffer_size) - 1);
  std::memcpy(buffer, name.data(), length);
  buffer[length] = '\0';
}

namespace {
Object* objectInSlot(MQDocument doc, int object_index, const char* function) {
  Document* document = checkedDocument(doc, function);
  if (slotReach(document, object_index, function) != Reach::Real)
    return nullptr;
  Object* object = document->objectAt(object_index);
  if (!object)
    recordMisuse(std::string(function) + ": slot " + std::to_string(object_index) + " is empty");
  return object;
}
} // namespace

SIMHOST_EXPORT MQBOOL MQDoc_IsSelectVertex(MQDocument doc, int object_index, int vertex_index) {
  SIMHOST_COUNT(MQDoc_IsSelectVertex);
  Object* object = objectInSlot(doc, object_index, __func__);
  if (!object || reach(vertex_index, object->vertexCount(),
                       answerIn(hostState().answers.vertexCount, static_cast<const void*>(object)),
                       __func__, "vertex") != Reach::Real)
    return 0;
  return object->selectedVertices.count(vertex_index) ? 1 : 0;
}

SIMHOST_EXPORT MQBOOL MQDoc_IsSelectFace(MQDocument doc, int object_index, int face_index) {
  SIMHOST_COUNT(MQDoc_IsSelectFace);
  Object* object = objectInSlot(doc, object_index, __func__);
  if (!object || reach(face_index, object->faceCount(),
                       answerIn(hostState().answers.faceCount, static_cast<const void*>(object)),
                       __func__, "face") != Reach::Real)
    return 0;
  return object->selectedFaces.count(face_index) ? 1 : 0;
}

SIMHOST_EXPORT int MQDoc_InsertObject(MQDocument doc, MQObject obj, MQObject before) {
  SIMHOST_COUNT(MQDoc_InsertObject);
  Document* document = checkedDocument(doc, __func__);
  Object* object = checkedObject(obj, __func__);
  if (!document || !object)
    return -1;
  if (object->document()) {
    recordMisuse(std::string(__func__) + ": object is already in a document");
    return -1;
  }
  Object* reference = before ? liveObject(before) : nullptr;
  if (before && (!reference || document->indexOf(reference) < 0))
    recordMisuse(std::string(__func__) + ": position reference is not in the document");
  return document->insertObject(object, reference);
}
