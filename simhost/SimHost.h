// The simulated host: a stand-in for the modeling application that loads the plug-in. It exports
// all 175 host functions by name (the 37 a plug-in calls behave as a real host's, the rest are
// harmless no-ops) and keeps real documents in memory. Tests and the runner build documents with
// the C++ API below, hand them to the plug-in as MQDocument handles, and inspect the result.
// Relies on the plug-in interface header only; shares nothing else with the plug-in.
//
// Host behaviour where the plug-in interface leaves it open, chosen as a modeling application
// would behave:
//  - Object slots: deleting an object leaves an empty slot (MQDoc_GetObject answers null, the
//    count is unchanged); MQDoc_InsertObject places the object right after its position
//    reference (at the end when the reference is null or not in the document) and answers the
//    new slot index; an object removed from a document is gone: its handle is dead.
//  - MQObj_Clone copies name, vertices, faces, unique IDs (and the ID counters), weights,
//    materials, UVs, creases, depth, lock and visibility; the clone belongs to no document, is not
//    selected in the object list and has no vertex or face selected. MQObj_Delete frees an
//    object that is in no document.
//  - Unique IDs are positive, unique within an object, kept by a clone, never reused for new
//    vertices or faces of that object; ...IndexFromUniqueID answers -1 for an absent ID.
//  - A vertex's reference count is the number of face corners that use it; its related faces
//    are the faces using it, each once, in ascending order.
//  - MQDoc_GetUnusedObjectName answers the proposal when no object of the document bears it,
//    else the proposal with the smallest number from 2 appended that is free; it never writes
//    more than the buffer size and always terminates the text.
//  - A new vertex has weight 1; a new face has material -1 (none), UVs (0, 0) and creases 0.
//  - Visibility flags are kept as given (a new object: 0xFFFFFFFF, visible).
//  - Vertex and face selection is kept with each object; the selection functions find the object
//    by its current slot index.
//  - Integer attributes: 257 depth, 259 lock, 262 selected in the object list; other ids read 0
//    and are not stored.
//  - Every handle and index the plug-in passes is checked; a bad one never crashes the host: a
//    read answers 0 / -1 / null / zeros, a write is ignored. In strict mode each such misuse is
//    recorded (see misuses()).
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#ifdef SIMHOST_BUILD
#define SIMHOST_API __declspec(dllexport)
#else
#define SIMHOST_API __declspec(dllimport)
#endif
#else
#define SIMHOST_API __attribute__((visibility("default")))
#endif

namespace sim {

struct Vertex {
  MQPoint position{0, 0, 0};
  MQDWORD uniqueId = 0;
  float weight = 1.0f;
};

struct Face {
  std::vector<int> points;
  MQDWORD uniqueId = 0;
  int material = -1;
  std::vector<MQCoordinate> uvs; // one per point
  std::vector<float> creases;    // one per edge: edge i runs from point i to point i + 1
};

class Document;

class SIMHOST_API Object {
public:
  explicit Object(std::string name = std::string());

  // Adds a vertex with a fresh unique ID; answers its index.
  int addVertex(MQPoint position);
  int addVertex(float x, float y, float z) { return addVertex(MQPoint{x, y, z}); }
  // Adds a face with a fresh unique ID (points may be empty: an empty face slot).
  int addFace(const std::vector<int>& points);
  // Forces a vertex's or face's unique ID (for documents read from files); keeps the counter
  // above every ID in use.
  void setVertexUniqueId(int vertex, MQDWORD id);
  void setFaceUniqueId(int face, MQDWORD id);

  int vertexCount() const { return static_cast<int>(vertices.size()); }
  int faceCount() const { return static_cast<int>(faces.size()); }
  int refCount(int vertex) const;
  std::vector<int> relatedFaces(int vertex) const;
  int vertexIndexFromUniqueId(MQDWORD id) const;
  int faceIndexFromUniqueId(MQDWORD id) const;
  // Call after changing faces' points or unique IDs directly.
  void invalidateCaches();

  MQObject handle() { return reinterpret_cast<MQObject>(this); }
  Document* document() const { return document_; }

  std::string name;
  int depth = 0;
  int locked = 0;
  int selected = 0; // in the object list
  MQDWORD visible = 0xFFFFFFFFu;
  std::vector<Vertex> vertices;
  std::vector<Face> faces;
  std::set<int> selectedVertices;
  std::set<int> selectedFaces;
  MQDWORD nextVertexUniqueId = 1;
  MQDWORD nextFaceUniqueId = 1;

private:
  friend class Document;
  friend struct HostAccess;
  void buildCaches() const;

  Document* document_ = nullptr;
  mutable bool cachesValid_ = false;
  mutable std::vector<int> refCounts_;
  mutable std::vector<int> relatedOffsets_;
  mutable std::vector<int> relatedFaces_;
  mutable std::vector<std::pair<MQDWORD, int>> vertexIds_; // sorted by ID
  mutable std::vector<std::pair<MQDWORD, int>> faceIds_;
};

class SIMHOST_API Document {
public:
  Document();
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Appends a new object in a new slot; the document owns it.
  Object* addObject(const std::string& name);
  // Appends an empty slot.
  void addEmptySlot();
  int slotCount() const { return static_cast<int>(slots_.size()); }
  Object* objectAt(int slot) const;
  // The object in the lowest slot with this name, or null.
  Object* findObject(const std::string& name) const;
  int indexOf(const Object* object) const;
  // Objects in slot order, empty slots left out.
  std::vector<Object*> objects() const;

  // Host operations, as the exported functions perform them.
  int insertObject(Object* object, const Object* before);
  void deleteObject(int slot);
  std::string unusedObjectName(const std::string& proposal) const;

  MQDocument handle() { return reinterpret_cast<MQDocument>(this); }

private:
  std::vector<Object*> slots_;
  // Objects deleted from the document stay allocated (but dead to every host function) until
  // the document goes, so a stale handle can never come to name a newer object.
  std::vector<Object*> removed_;
};

// Handles back to objects; null when the handle names no live document or object.
SIMHOST_API Document* documentFromHandle(MQDocument handle);
SIMHOST_API Object* objectFromHandle(MQObject handle);
// Objects made by MQObj_Clone that no document has taken in yet.
SIMHOST_API std::vector<Object*> detachedObjects();
// Frees every detached object (call between tests).
SIMHOST_API void freeDetachedObjects();

// Strict mode: every misuse of a host function by the plug-in is recorded as a line of text.
SIMHOST_API void setStrict(bool strict);
SIMHOST_API bool strict();
SIMHOST_API std::vector<std::string> misuses();
SIMHOST_API void clearMisuses();
// Records a misuse (the host functions call it; a test may too).
SIMHOST_API void recordMisuse(const std::string& what);

// A canonical text of everything in the document (slots, names, attributes, vertices with exact
// float bits, faces, selections): two documents are equal when their texts are.
SIMHOST_API std::string describe(const Document& document);

// The file name under which a plug-in's MQInit finds this module.
SIMHOST_API const char* moduleFileName();

} // namespace sim
