// Hostile host: switches that make the simulated host answer the way a careless, buggy or
// concurrently edited host could, so that tests can show the plug-in never reads or writes past
// what the host answered, never loops without end on a host count, and never takes the host
// down. One mode is active at a time in a host (like its strict switch); None is the
// ordinary host of SimHost.h. Relies on SimHost.h.
//
// Answers and strict mode. While a mode is active the host remembers the last count it answered
// for each question: object count (per document), vertex and face count (per object), point
// count (per face) and related-face count (per vertex). An index that lies inside that answer is
// the plug-in's right to ask about, even where the real document has nothing: the host then
// answers as for an empty slot, an unused vertex at the origin or a face without points, and
// records nothing. An index outside the answer (or any index after a count of 0 or less) is the
// plug-in going past what the host answered: strict mode records it as
// "<function>: <what> <index> past the host's answer <count>". A fill call for a count that was
// answered as 0 or less is recorded the same way and writes nothing.
//
// Fill calls never write more entries than the host last answered for that element: a host
// that wrote more than it announced would overrun any caller's buffer, which no plug-in can
// guard against. MQObj_SetFaceCoordinateArray likewise reads no more than the last answer.
//
// Document content that is hostile in itself (non-finite positions, degenerate faces, empty
// slots) is made with the helpers at the end; it needs no mode, every host function answers it
// as it is.
#pragma once

#include "SimHost.h"

#include <climits>

namespace sim {

enum class Hostile {
  None,
  // Every count answers -1: MQDoc_GetObjectCount, MQObj_GetVertexCount, MQObj_GetFaceCount,
  // MQObj_GetFacePointCount and the sizing call of MQObj_GetVertexRelatedFaces.
  NegativeCounts,
  // Every count answers 0.
  ZeroCounts,
  // The object, vertex and face counts answer hugeCount(); the slots, vertices and faces past the
  // real ones are empty slots, unused vertices at the origin and faces without points.
  HugeCounts,
  // The point count of every face and the related-face count of every vertex answer
  // hugeCount(); the fill calls write only the real entries (the related-face fill answers the
  // real count).
  HugeArrayCounts,
  // The element shrinks between the sizing call and the fill call: point and related-face
  // counts answer two more than the real count; the fills write the real entries and the
  // related-face fill answers the real count.
  CountShrinksBeforeFill,
  // The element grows between the sizing call and the fill call: point and related-face counts
  // answer one less than the real count (never below 0); the fills write no more than that, and
  // the related-face fill answers the real, larger count.
  CountGrowsBeforeFill,
  // MQDoc_GetObject answers null for every slot and MQObj_Clone answers null: a host that has
  // lost its objects.
  NullObjects,
  // MQObj_GetName and MQDoc_GetUnusedObjectName fill the whole buffer with the name's bytes,
  // repeated as needed ("x" for an empty name), without a terminator.
  UnterminatedNames,
};

// A host's mode is set with Host::setHostile and read with Host::hostile(); the huge modes
// answer Host::hugeCount().
// Every mode, None excluded, with a short name for test output.
SIMHOST_API std::vector<Hostile> hostileModes();
SIMHOST_API const char* hostileName(Hostile mode);

// Sets a host's hostile mode for the life of the scope (and forgets the answers given under it).
class HostileScope {
public:
  HostileScope(Host& host, Hostile mode) : host_(host) { host_.setHostile(mode); }
  ~HostileScope() { host_.setHostile(Hostile::None); }
  HostileScope(const HostileScope&) = delete;
  HostileScope& operator=(const HostileScope&) = delete;

private:
  Host& host_;
};

// Hostile document content.
// Gives every vertex, by index modulo 5, the coordinates NaN, +infinity, -infinity, 1e38 and
// -1e38 (all three coordinates alike).
SIMHOST_API void makePositionsNonFinite(Object& object);
// Appends degenerate faces to the object: one whose points are one vertex three times, one
// with a single point, one using a vertex twice among others, and one whose points lie out of
// range (-2, the vertex count, INT_MAX). Every host function answers them as they are; the
// out-of-range points count for no vertex's references or related faces.
SIMHOST_API void addDegenerateFaces(Object& object);

} // namespace sim
