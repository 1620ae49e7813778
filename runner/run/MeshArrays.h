// The simulated host's objects as the plain arrays of the surface quality code, and back: the
// only place that reads an object's vertex and face records for it.
#pragma once

#include "SimHost.h"
#include "SurfaceQuality.h"

#include <vector>

namespace runner {

quality::PolygonMesh polygonMeshOf(const sim::Object& object);
std::vector<quality::Vec3> positionsOf(const sim::Object& object);
void setPosition(sim::Object& object, int vertex, const quality::Vec3& position);

} // namespace runner
