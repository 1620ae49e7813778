// Object helpers: cmq::CMQObject, a non-owning handle on one host object with its document, and
// the document and geometry queries built on it (names as narrow strings, arrays as vectors).
// Relies on the bound host function table (host/HostTable.h). Handles never own, delete or free
// host objects; callers check isValid() before using a handle they did not just make.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <string>
#include <vector>

namespace cmq {

// Host names travel through buffers of this many bytes, terminator included.
constexpr int kNameBufferSize = 250;

// One face corner: its vertex and texture coordinates.
struct CornerUv {
  int vertex;
  float u;
  float v;
};

class CMQObject {
public:
  CMQObject() = default;
  CMQObject(MQObject hostObject, MQDocument hostDocument)
      : object(hostObject), document(hostDocument) {}
  CMQObject(const CMQObject&) = default;
  CMQObject& operator=(const CMQObject&) = default;
  virtual ~CMQObject() { reset(); }

  // Forgets the reference; nothing in the host is touched.
  void reset() {
    object = nullptr;
    document = nullptr;
  }

  // True when object and document are set and the document still lists the object.
  bool isValid() const;
  // A handle on a new copy of the object, outside any document, with the same document.
  CMQObject clone() const;
  std::string name() const;
  std::vector<int> relatedFaces(int vertex) const;
  std::vector<int> facePoints(int face) const;
  std::vector<CornerUv> readCornerUvs(int face) const;
  void writeCornerUvs(int face, const std::vector<CornerUv>& corners) const;

  bool sameObject(const CMQObject& other) const { return object == other.object; }

  MQObject object = nullptr;
  MQDocument document = nullptr;
};

// A handle on the object of slot index (null object for an empty slot).
CMQObject objectAt(MQDocument document, int index);
// The name the host proposes for the given one: a name no object of the document bears yet.
std::string unusedObjectName(MQDocument document, const std::string& proposal);
// The first valid object, in slot order, whose name equals the given one byte for byte;
// an empty handle when there is none.
CMQObject findObjectByName(MQDocument document, const std::string& name);

} // namespace cmq
