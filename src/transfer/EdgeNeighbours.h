// The vertices joined to a vertex by a face edge of a mesh: in a line (a face of two points) its
// other point, in a face of any other size the points before and after its first occurrence
// around the face. Diagonals of a face are no edges.
// Relies on the mesh snapshot (faces) and the faces of each vertex (VertexFaces.h).
#pragma once

#include "transfer/MeshSnapshot.h"
#include "transfer/VertexFaces.h"

#include <vector>

namespace transfer {

// The edge neighbours of v, ascending, each once; only vertices of the mesh.
std::vector<int> edgeNeighbours(const MeshSnapshot& mesh, const VertexFaces& faces, int v);

} // namespace transfer
