#include "transfer/EdgeNeighbours.h"

#include <algorithm>

namespace transfer {

std::vector<int> edgeNeighbours(const MeshSnapshot& mesh, const VertexFaces& faces, int v) {
  std::vector<int> result;
  for (const int* face = faces.begin(v); face != faces.end(v); ++face) {
    const int* points = mesh.facePoints(*face);
    const int count = mesh.facePointCount(*face);
    if (count == 2) {
      result.push_back(points[0] == v ? points[1] : points[0]);
      continue;
    }
    const int at = static_cast<int>(std::find(points, points + count, v) - points);
    if (at == count)
      continue;
    result.push_back(points[(at + 1) % count]);
    result.push_back(points[(at + count - 1) % count]);
  }
  std::sort(result.begin(), result.end());
  result.erase(std::unique(result.begin(), result.end()), result.end());
  // A point that names no vertex of the mesh is nobody's neighbour.
  result.erase(std::remove_if(result.begin(), result.end(),
                              [&](int neighbour) { return !mesh.isVertex(neighbour); }),
               result.end());
  return result;
}

} // namespace transfer
