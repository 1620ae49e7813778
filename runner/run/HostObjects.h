// The runner's one view into the simulated host's objects: a mesh in plain arrays put into an
// object, and an object's arrays read back for the formats, the analysis and the surface mode.
// Everything the runner knows of how sim::Object stores a mesh is here, but for the document
// format, whose files are the host's documents themselves, and the sample generator, which
// builds them. Relies on the simulated host's object model, the plug-in's snapshot type and the
// surface code's mesh type.
#pragma once

#include "SimHost.h"
#include "SurfaceQuality.h"
#include "transfer/MeshSnapshot.h"

#include <vector>

namespace runner {

// A polygon mesh as a model file holds it.
struct PolygonArrays {
  std::vector<float> positions;     // x, y, z of each vertex
  std::vector<size_t> faceStart{0}; // face f's corners: faceStart[f] .. faceStart[f + 1] - 1
  std::vector<int> points;          // the vertex of each corner
  std::vector<float> uvs;           // u, v of each corner
  std::vector<int> materials;       // by face; -1 none
};

// Fills an empty object: vertices (weight 1) at the positions, faces with their corners' UVs and
// materials; fresh unique IDs.
void fillObject(sim::Object& object, const PolygonArrays& mesh);
// Makes an element a clone of its base that shares the base's arrays (faces, unique IDs,
// weights) until either is written, with positions of its own (three per vertex, as many
// vertices as the base has).
void fillElement(sim::Object& element, const sim::Object& base,
                 const std::vector<float>& positions);
// Unique IDs after those of another object, so that nothing pairs by ID across the two.
void continueUniqueIds(sim::Object& object, const sim::Object& after);
// Gives each Destination face whose corners lie where a Source face's corners lie, in the same
// order, that face's unique ID, as an edited copy keeps the IDs of the faces it did not touch;
// the other faces keep IDs of their own. Model files carry no IDs: this is how a run on them
// pairs faces as the host would. (Vertices are still paired by position.)
void shareFaceIds(const sim::Object& source, sim::Object& destination);

// An object's mesh as plain arrays, and its parts one by one.
PolygonArrays arraysOf(const sim::Object& object);
std::vector<float> positionsOf(const sim::Object& object); // x, y, z of each vertex
MQPoint positionOf(const sim::Object& object, int vertex);
MQDWORD vertexUniqueIdOf(const sim::Object& object, int vertex);
MQDWORD faceUniqueIdOf(const sim::Object& object, int face);
// The parts (transfer::MeshPart bits) of the object's mesh as the plug-in reads them through the
// host; used flags count the face corners that name a vertex, as the host's reference count does.
transfer::MeshSnapshot snapshotOf(const sim::Object& object, unsigned parts);

// The object as the surface code's mesh, its positions alone, and one position written back.
quality::PolygonMesh polygonMeshOf(const sim::Object& object);
std::vector<quality::Vec3> pointsOf(const sim::Object& object);
void setPosition(sim::Object& object, int vertex, const quality::Vec3& position);

} // namespace runner
