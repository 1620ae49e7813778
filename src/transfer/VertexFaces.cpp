#include "transfer/VertexFaces.h"

#include <algorithm>

namespace transfer {
namespace {

// Calls visit(v) once for each vertex of the mesh that the face names.
template <typename Visit>
void forEachDistinctVertex(const MeshSnapshot& mesh, int face, Visit visit) {
  const int* begin = mesh.facePoints(face);
  const int* end = begin + mesh.facePointCount(face);
  for (const int* p = begin; p != end; ++p)
    if (mesh.isVertex(*p) && std::find(begin, p, *p) == p)
      visit(*p);
}

} // namespace

VertexFaces::VertexFaces(const MeshSnapshot& mesh)
    : start_(static_cast<size_t>(mesh.vertexCount) + 1, 0) {
  const int faceCount = mesh.faceCount();
  for (int f = 0; f < faceCount; ++f)
    forEachDistinctVertex(mesh, f, [&](int v) { ++start_[static_cast<size_t>(v) + 1]; });
  for (size_t v = 1; v < start_.size(); ++v)
    start_[v] += start_[v - 1];
  faces_.resize(start_.back());
  std::vector<size_t> fill(start_.begin(), start_.end() - 1);
  for (int f = 0; f < faceCount; ++f)
    forEachDistinctVertex(mesh, f, [&](int v) { faces_[fill[static_cast<size_t>(v)]++] = f; });
}

} // namespace transfer
