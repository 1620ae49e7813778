// Faces found by intersecting the ascending face lists of their vertices.
#include "transfer/FacePairing.h"

#include "transfer/VertexPairing.h"

#include <algorithm>
#include <iterator>

namespace transfer {

int findFaceWithVertices(const ElementFaces& element, const std::vector<int>& vertices) {
  std::vector<int> running, both;
  for (size_t i = 0; i < vertices.size(); ++i) {
    const int v = vertices[i];
    if (i == 0) {
      running.assign(element.byVertex.begin(v), element.byVertex.end(v));
    } else {
      both.clear();
      std::set_intersection(running.begin(), running.end(), element.byVertex.begin(v),
                            element.byVertex.end(v), std::back_inserter(both));
      running.swap(both);
    }
    // A vertex without faces, or no face left holding all vertices so far.
    if (running.empty())
      return -1;
  }
  if (running.empty())
    return -1;
  const int face = running.front();
  return element.mesh.facePointCount(face) == static_cast<int>(vertices.size()) ? face : -1;
}

FaceMatch findSourceFace(const ElementFaces& element, const int* points, int pointCount,
                         const std::vector<int>& vertexPairs) {
  std::vector<int> mapped;
  mapped.reserve(static_cast<size_t>(std::max(0, pointCount)));
  for (int i = 0; i < pointCount; ++i) {
    const int point = points[i];
    if (point < 0 || static_cast<size_t>(point) >= vertexPairs.size() ||
        vertexPairs[static_cast<size_t>(point)] == kNoSourceVertex)
      return FaceMatch{};
    mapped.push_back(vertexPairs[static_cast<size_t>(point)]);
  }
  const int face = findFaceWithVertices(element, mapped);
  if (face < 0)
    return FaceMatch{};
  const int* sourcePoints = element.mesh.facePoints(face);
  const int count = element.mesh.facePointCount(face);
  const int at = static_cast<int>(std::find(sourcePoints, sourcePoints + count, mapped.front()) -
                                  sourcePoints);
  return FaceMatch{face, at == count ? 0 : at};
}

} // namespace transfer
