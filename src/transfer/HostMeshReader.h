// Mesh snapshots read from the host: each part with one pass of host calls (vertex count once,
// then per vertex or per face), the way a host that may answer carelessly must be read: counts
// below zero read as none, and an array is only ever read into a buffer of the size the host
// announced for it.
// Relies on the bound host function table.
#pragma once

#include "transfer/MeshSnapshot.h"

namespace transfer {

// Reads the parts (MeshPart bits) of the object's mesh that the snapshot does not hold yet.
void readMesh(MQObject object, unsigned parts, MeshSnapshot& mesh);

} // namespace transfer
