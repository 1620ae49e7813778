// The simulated host: a stand-in for the modeling application that loads the plug-in. It exports
// all 175 host functions by name (the 37 a plug-in calls behave as a real host's, the rest are
// harmless no-ops) and keeps real documents in memory. Tests and the runner make a Host (below),
// build its documents with the C++ API (Host::newDocument, Document::addObject, ...), hand them
// to the plug-in as MQDocument handles, and inspect the result (SimCheck.h tells whether a
// document is one a host could hold). Relies on the plug-in
// interface header only (inside, on Debian's robin-map for its handle sets); shares nothing else
// with the plug-in.
//
// Host behaviour where the plug-in interface leaves it open, chosen as a modeling application
// would behave:
//  - Object slots: deleting an object leaves an empty slot (MQDoc_GetObject answers null, the
//    count is unchanged); MQDoc_InsertObject places the object right after its position
//    reference (at the end when the reference is null or not in the document) and answers the
//    new slot index; an object removed from a document is gone: its handle is dead.
//  - Every host operation takes about the same time however many objects, vertices and faces
//    the document holds, as an application built for large scenes does: a document keeps an
//    index of its names and each object knows its slot; handles are checked in a hash set; a
//    vertex's related faces and the unique-ID lookups come from tables built once per change of
//    the geometry.
//  - MQObj_Clone copies name, vertices, faces, unique IDs (and the ID counters), weights,
//    materials, UVs, creases, depth, lock and visibility; the clone belongs to no document, is
//    not selected in the object list and has no vertex or face selected. As an application
//    built for large scenes does, the clone shares each array with its original until one of
//    them writes to it, and a write copies only the array it changes: cloning costs almost
//    nothing, and a host function that writes a value the array already holds copies nothing.
//    MQObj_Delete frees an object that is in no document.
//  - Unique IDs are positive, unique within an object, kept by a clone, never reused for new
//    vertices or faces of that object; ...IndexFromUniqueID answers -1 for an absent ID.
//  - A vertex's reference count is the number of face corners that use it; its related faces
//    are the faces using it, each once, in ascending order.
//  - Names are kept as a host with 250-byte name buffers keeps them: at most kNameBytes (249)
//    bytes. A longer name given to MQObj_SetName is cut to 249 bytes; documents are UTF-8, so
//    the cut never falls inside a character: when byte 249 continues a character that began in
//    the last three bytes before it, the cut moves back to where that character begins (bytes
//    that are no UTF-8 are cut at 249 as they are). Names given through the C++ API below are
//    stored as given (a test or a file reader may build any document; checkDocument tells).
//  - MQDoc_GetUnusedObjectName answers the proposal, cut as above, when no object of the
//    document bears that name; else the first free name of "proposal" + n for n = 2, 3, ...,
//    where the proposal (never the number) is cut, on a character boundary, so that the whole
//    fits in 249 bytes. So an answer is never a name the document has, MQObj_SetName keeps it
//    byte for byte, and the next answer for the same proposal, once an object bears the first,
//    is another name. It never writes more than the buffer size and always terminates the text.
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

#include "SharedArray.h"
#include "tovalinder/host/MQPluginInterface.h"

#include <map>
#include <memory>
#include <optional>
#include <ostream>
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

class Document;
class Host;
class UserScript;
struct SlotBlock;
struct DocumentIndex;
struct HostState;
struct Widget;
struct WidgetMessage;
struct SentEvent;
struct MessageBoxRecord;
struct ModalRun;
enum class Hostile;

// The longest name the host keeps, in bytes (its name buffers hold 250 with the terminator).
constexpr size_t kNameBytes = 249;
// The text cut to at most `limit` bytes without splitting a UTF-8 character (see above).
SIMHOST_API std::string cutName(const std::string& text, size_t limit = kNameBytes);

// An object's name: a value of its own that reads as text. An object's name changes only
// through Object::setName or the host's MQObj_SetName, so that its document's name index follows
// every change without being told.
class ObjectName {
public:
  ObjectName() = default;
  ObjectName(std::string text) : text_(std::move(text)) {}
  ObjectName(const char* text) : text_(text) {}

  const std::string& str() const { return text_; }
  operator const std::string&() const { return text_; }
  const char* c_str() const { return text_.c_str(); }
  const char* data() const { return text_.data(); }
  size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  char operator[](size_t i) const { return text_[i]; }
  std::string::const_iterator begin() const { return text_.begin(); }
  std::string::const_iterator end() const { return text_.end(); }
  std::string substr(size_t from, size_t count = std::string::npos) const {
    return text_.substr(from, count);
  }
  size_t find(const std::string& text, size_t from = 0) const { return text_.find(text, from); }
  int compare(size_t from, size_t count, const std::string& text) const {
    return text_.compare(from, count, text);
  }

  friend bool operator==(const ObjectName& a, const ObjectName& b) { return a.text_ == b.text_; }
  friend bool operator!=(const ObjectName& a, const ObjectName& b) { return a.text_ != b.text_; }
  friend bool operator<(const ObjectName& a, const ObjectName& b) { return a.text_ < b.text_; }
  friend bool operator==(const ObjectName& a, const std::string& b) { return a.text_ == b; }
  friend bool operator==(const std::string& a, const ObjectName& b) { return a == b.text_; }
  friend bool operator!=(const ObjectName& a, const std::string& b) { return a.text_ != b; }
  friend bool operator!=(const std::string& a, const ObjectName& b) { return a != b.text_; }
  friend bool operator==(const ObjectName& a, const char* b) { return a.text_ == b; }
  friend bool operator!=(const ObjectName& a, const char* b) { return a.text_ != b; }
  friend std::string operator+(const std::string& a, const ObjectName& b) { return a + b.text_; }
  friend std::string operator+(const ObjectName& a, const std::string& b) { return a.text_ + b; }
  friend std::string operator+(const char* a, const ObjectName& b) { return a + b.text_; }
  friend std::string operator+(const ObjectName& a, const char* b) { return a.text_ + b; }
  friend std::ostream& operator<<(std::ostream& out, const ObjectName& name) {
    return out << name.text_;
  }

private:
  std::string text_;
};

// For test output.
inline void PrintTo(const ObjectName& name, std::ostream* out) {
  *out << '"' << name.str() << '"';
}

// One object's geometry as flat arrays, so that reading, cloning and writing an object is a few
// bulk copies: vertex attributes by vertex index, face attributes by face index, and corner
// attributes by corner, where face f's corners are faceStart[f] .. faceStart[f + 1] - 1.
class SIMHOST_API Object {
public:
  explicit Object(std::string name = std::string());

  // Adds a vertex with a fresh unique ID and weight 1; answers its index.
  int addVertex(MQPoint position);
  int addVertex(float x, float y, float z) { return addVertex(MQPoint{x, y, z}); }
  // Adds a face with a fresh unique ID, material -1 (none), UVs (0, 0) and creases 0 (points may
  // be empty: an empty face slot); answers its index.
  int addFace(const std::vector<int>& points);
  int addFace(const int* points, int count);
  // Replaces one face's points (its UVs and creases are reset); moves every later face's corners.
  void setFacePoints(int face, const std::vector<int>& points);
  void reserve(size_t vertices, size_t faces, size_t corners);
  // Forces a vertex's or face's unique ID (for documents read from files); keeps the counter
  // above every ID in use.
  void setVertexUniqueId(int vertex, MQDWORD id);
  void setFaceUniqueId(int face, MQDWORD id);

  int vertexCount() const { return static_cast<int>(positions.size()); }
  int faceCount() const { return static_cast<int>(faceIds.size()); }
  int facePointCount(int face) const {
    return static_cast<int>(faceStart[static_cast<size_t>(face) + 1] -
                            faceStart[static_cast<size_t>(face)]);
  }
  size_t firstCorner(int face) const { return faceStart[static_cast<size_t>(face)]; }
  const int* facePoints(int face) const { return points.data() + firstCorner(face); }
  const MQCoordinate* faceUvs(int face) const { return uvs.data() + firstCorner(face); }
  const float* faceCreases(int face) const { return creases.data() + firstCorner(face); }
  // One face's corners to write to (the object's own UVs or creases, copied first when shared).
  MQCoordinate* editFaceUvs(int face) { return editUvs().data() + firstCorner(face); }
  float* editFaceCreases(int face) { return editCreases().data() + firstCorner(face); }

  // One face's corners as lists, and writing them (a list shorter than the face writes only its
  // own entries; a longer one is cut to the face).
  std::vector<int> facePointList(int face) const;
  std::vector<MQCoordinate> faceUvList(int face) const;
  std::vector<float> faceCreaseList(int face) const;
  void setFaceUvs(int face, const std::vector<MQCoordinate>& faceUvs);
  void setFaceCreases(int face, const std::vector<float>& faceCreases);
  // Takes the other object's vertices and faces (with their unique IDs and ID counters), sharing
  // every array with it until one of the two writes; name, attributes and selections stay.
  void copyGeometry(const Object& from);
  // The same for the faces alone: unique IDs, materials, points, UVs, creases, the ID counter.
  void shareFaces(const Object& from);
  // Takes the other object's block of every array that holds the same values as this one's
  // (bit for bit), so that equal arrays read from a file are held once; nothing else changes.
  void shareEqualArrays(const Object& other);
  // Keeps the first `count` vertices or faces (and their corners).
  void truncateVertices(int count);
  void truncateFaces(int count);

  int refCount(int vertex) const;
  std::vector<int> relatedFaces(int vertex) const;
  // The same without a copy: the faces are [first, first + answer); valid until the next change.
  int relatedFaces(int vertex, const int** first) const;
  int vertexIndexFromUniqueId(MQDWORD id) const;
  int faceIndexFromUniqueId(MQDWORD id) const;

  // Writing an array: the object's own, copied first when it shares it with a clone (each
  // array on its own, so a write copies only the array it touches). The reference is valid until
  // the next change of the object; the tables answering reference counts, related faces and
  // unique IDs follow by themselves.
  std::vector<MQPoint>& editPositions() { return positions.edit(); }
  std::vector<MQDWORD>& editVertexIds();
  std::vector<float>& editWeights() { return weights.edit(); }
  std::vector<MQDWORD>& editFaceIds();
  std::vector<int>& editMaterials() { return materials.edit(); }
  std::vector<size_t>& editFaceStart();
  std::vector<int>& editPoints();
  std::vector<MQCoordinate>& editUvs() { return uvs.edit(); }
  std::vector<float>& editCreases() { return creases.edit(); }
  // Replacing an array whole.
  void setPositions(std::vector<MQPoint> values) { positions.assign(std::move(values)); }
  void setWeights(std::vector<float> values) { weights.assign(std::move(values)); }

  MQObject handle() { return reinterpret_cast<MQObject>(this); }
  Document* document() const { return place_.document; }

  const ObjectName& name() const { return name_; }
  // Stores the name as given (a test or a file reader may build any document; checkDocument
  // tells whether a host could hold it); the document's name index follows.
  void setName(std::string name);

  int depth = 0;
  int locked = 0;
  int selected = 0; // in the object list
  MQDWORD visible = 0xFFFFFFFFu;
  // The arrays, read-only here (written through the edit... functions above). By vertex:
  SharedArray<MQPoint> positions;
  SharedArray<MQDWORD> vertexIds;
  SharedArray<float> weights;
  // By face:
  SharedArray<MQDWORD> faceIds;
  SharedArray<int> materials;
  SharedArray<size_t> faceStart; // faceCount() + 1 offsets into the corner arrays
  // By corner:
  SharedArray<int> points;
  SharedArray<MQCoordinate> uvs;
  SharedArray<float> creases; // a corner's crease is the edge from its point to the next one
  std::set<int> selectedVertices;
  std::set<int> selectedFaces;
  MQDWORD nextVertexUniqueId = 1;
  MQDWORD nextFaceUniqueId = 1;

private:
  friend class Document;
  friend struct HostAccess;
  friend class SlotList;
  void buildCaches() const;
  void invalidateCaches() { tables_.reset(); }

  ObjectName name_;

  // Where the object stands: its document and its place in the document's slots (see
  // SlotList.h). A copy of an object stands nowhere, and assigning one object to another leaves
  // the target where it stands.
  struct Place {
    Document* document = nullptr;
    SlotBlock* block = nullptr;
    int offset = -1;
    Place() = default;
    Place(const Place&) {}
    Place& operator=(const Place&) { return *this; } // NOLINT(bugprone-unhandled-self-assignment)
  };
  Place place_;
  // Tables answering the reference counts, related faces and unique-ID lookups, built on the
  // first question after a change of the points, face starts, unique IDs or vertex count. They
  // depend on those arrays alone, so clones that share the arrays share the tables too, built
  // once by whichever is asked first; a change gives the object tables of its own.
  struct Tables;
  mutable std::shared_ptr<Tables> tables_;
};

// A document of a host: made by Host::newDocument, owned by its host.
class SIMHOST_API Document {
public:
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Appends a new object in a new slot; the document owns it.
  Object* addObject(const std::string& name);
  // Appends an empty slot.
  void addEmptySlot();
  int slotCount() const;
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
  // Gives an object of this document a name the host's way (cut to kNameBytes).
  void renameObject(Object* object, const std::string& name);

  MQDocument handle() { return reinterpret_cast<MQDocument>(this); }
  Host& host() const { return host_; }

private:
  friend class Host;
  friend class Object;
  explicit Document(Host& host);
  Host& host_;
  std::unique_ptr<DocumentIndex> index_;
  // Objects deleted from the document stay allocated (but dead to every host function) until
  // the document goes, so a stale handle can never come to name a newer object.
  std::vector<Object*> removed_;
};

// The simulated application: its documents, the objects the plug-in cloned and not yet placed,
// the widgets and the scripted user who works its dialogs, strict and hostile modes, the records
// and the call counts. A program makes one per run and drops it; everything it holds goes with
// it (documents, objects, widgets, scripts, records).
//
// A real host is one application per process, and the plug-in reaches it through the host
// function table, whose functions take no host argument. So the exported functions act on the
// current host: the one made last, or the one last made current with makeCurrent(). When the
// current host is dropped, the latest-made host still alive becomes current. Two hosts in one
// process share nothing: a handle of one is unknown to the other, and each keeps its own
// widgets, modes, records and counts. With no host alive, the functions answer as a host with
// no document would.
class SIMHOST_API Host {
public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Makes this host the one the exported functions act on.
  void makeCurrent();
  bool isCurrent() const;

  // A new empty document, owned by this host until closeDocument or the host goes.
  Document& newDocument();
  // Frees a document of this host and every object in it.
  void closeDocument(Document& document);

  // Handles back to objects; null when the handle names no live document or object of this host.
  Document* documentFromHandle(MQDocument handle) const;
  Object* objectFromHandle(MQObject handle) const;
  // Objects made by MQObj_Clone that no document has taken in yet, by name.
  std::vector<Object*> detachedObjects() const;
  // Frees every detached object.
  void freeDetachedObjects();

  // Strict mode: every misuse of a host function by the plug-in is recorded as a line of text.
  void setStrict(bool strict);
  bool strict() const;
  std::vector<std::string> misuses() const;
  void clearMisuses();
  // Records a misuse (the host functions record theirs; a test may too).
  void recordMisuse(const std::string& what);

  // Hostile modes (SimHostile.h).
  void setHostile(Hostile mode);
  Hostile hostile() const;
  // The count that the huge modes answer; 65536 unless set (tests may raise it up to INT_MAX).
  void setHugeCount(int count);
  int hugeCount() const;

  // How often the plug-in called each host function since the last reset (functions never
  // called are left out), for measuring how much a plug-in asks of its host.
  std::map<std::string, unsigned long long> callCounts() const;
  void resetCallCounts();

  // Widgets, records and the scripted user, as SimWidgets.h describes them.
  std::optional<Widget> findWidget(int id) const;
  std::vector<int> liveWidgets() const;
  int openDialog() const;
  int focusedWidget(int dialogId) const;
  std::string describeWidgetTree(int id) const;
  void refuseWidgetCreations(int count);
  void setEventDocument(MQDocument document);
  std::vector<WidgetMessage> widgetMessages() const;
  void clearWidgetMessages();
  std::vector<SentEvent> sentEvents() const;
  void clearSentEvents();
  std::vector<MessageBoxRecord> messageBoxes() const;
  void clearMessageBoxes();
  void queueModalScript(const UserScript& script);
  int queuedModalScripts() const;
  std::vector<ModalRun> modalRuns() const;
  std::vector<std::string> scriptFailures() const;
  void clearModalRuns();
  std::string dialogPictureHtml(int dialogId) const;
  bool writeDialogPicture(int dialogId, const std::string& path) const;
  void clearWidgetRecords();

private:
  friend class Document;
  friend struct HostAccess;
  std::unique_ptr<HostState> state_;
};

// A canonical text of everything in the document (slots, names, attributes, vertices with exact
// float bits, faces, selections): two documents are equal when their texts are.
SIMHOST_API std::string describe(const Document& document);

// The file name under which a plug-in's MQInit finds this module.
SIMHOST_API const char* moduleFileName();

} // namespace sim
