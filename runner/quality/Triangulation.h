// The Source surface as triangles: every face of three or more points cut into triangles that
// stay inside the face, so that a concave face covers what the modeler drew.
#pragma once

#include "SurfaceQuality.h"

#include <vector>

namespace quality {

// Triangles of all faces, in face order. Lines, single points and faces that name a vertex the
// mesh does not have are no surface and give none. A face is cut by ear clipping in the plane
// that its normal faces most; a face too large for that, or too degenerate to have an ear, is cut
// as a fan from its first point.
std::vector<Triangle> triangulateFaces(const PolygonMesh& mesh);

} // namespace quality
