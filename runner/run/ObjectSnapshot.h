// The runner's one view into the simulated host's objects for its analysis: an object of a
// document as the plug-in's snapshot type (what the plug-in reads of it through the host), and
// the few per-element values the analysis reads besides. Everything the analysis knows of how
// sim::Object stores a mesh is here.
// Relies on the simulated host's object model and the plug-in's snapshot type.
#pragma once

#include "SimHost.h"
#include "transfer/MeshSnapshot.h"

namespace runner {

// The parts (transfer::MeshPart bits) of the object's mesh; used flags count the face corners
// that name a vertex, as the host's reference count does.
transfer::MeshSnapshot snapshotOf(const sim::Object& object, unsigned parts);

MQPoint positionOf(const sim::Object& object, int vertex);
MQDWORD vertexUniqueIdOf(const sim::Object& object, int vertex);
MQDWORD faceUniqueIdOf(const sim::Object& object, int face);

} // namespace runner
