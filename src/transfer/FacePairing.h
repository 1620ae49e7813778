// Which face of a Source element a Destination face takes its attributes from, and how its
// corners line up: by the face's unique ID (a face of another size does not fit), or through the
// Source vertices its points were paired with (the smallest face holding them all, when it has as
// many points; the rotation is where the first point's Source vertex stands in it).
// Pure: the Source element's faces come from whatever the caller holds of them, any type with
//   int pointCount(int face);             the face's points as counted
//   const int* points(int face);          that many vertex indices
//   VertexFaceRange facesOf(int vertex);  the faces naming the vertex, ascending, each once
//                                         (none for a vertex outside the mesh)
// such as ElementFaces, a snapshot of them all.
#pragma once

#include "transfer/MeshSnapshot.h"
#include "transfer/VertexFaces.h"
#include "transfer/VertexPairing.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace transfer {

struct FaceMatch {
  int face = -1;    // -1: no face of the Source element fits
  int rotation = 0; // position in the Source face of the Source vertex of the first point
};

struct VertexFaceRange {
  const int* first;
  const int* last;
};

// A Source element's faces, all read at once.
struct ElementFaces {
  explicit ElementFaces(MeshSnapshot snapshot) : mesh(std::move(snapshot)), byVertex(mesh) {}
  int pointCount(int face) const { return mesh.facePointCount(face); }
  const int* points(int face) const { return mesh.facePoints(face); }
  VertexFaceRange facesOf(int vertex) const {
    return VertexFaceRange{byVertex.begin(vertex), byVertex.end(vertex)};
  }

  MeshSnapshot mesh;
  VertexFaces byVertex;
};

// The smallest face holding all the given vertices, when its point count is theirs; -1
// otherwise, also when a vertex is in no face or not in the mesh at all.
template <typename Faces>
int findFaceWithVertices(Faces& element, const std::vector<int>& vertices) {
  std::vector<int> running, both;
  for (size_t i = 0; i < vertices.size(); ++i) {
    const VertexFaceRange faces = element.facesOf(vertices[i]);
    if (i == 0) {
      running.assign(faces.first, faces.last);
    } else {
      both.clear();
      std::set_intersection(running.begin(), running.end(), faces.first, faces.last,
                            std::back_inserter(both));
      running.swap(both);
    }
    // A vertex without faces, or no face left holding all vertices so far.
    if (running.empty())
      return -1;
  }
  if (running.empty())
    return -1;
  const int face = running.front();
  return element.pointCount(face) == static_cast<int>(vertices.size()) ? face : -1;
}

// Pairing through the vertices: the points of the Destination face, and vertexPairs its Source
// vertex per Destination vertex (kNoSourceVertex: none). A point without one pairs nothing.
template <typename Faces>
FaceMatch findSourceFace(Faces& element, const int* points, int pointCount,
                         const std::vector<int>& vertexPairs) {
  std::vector<int> mapped;
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
  const int* sourcePoints = element.points(face);
  const int count = element.pointCount(face);
  const int at = static_cast<int>(std::find(sourcePoints, sourcePoints + count, mapped.front()) -
                                  sourcePoints);
  return FaceMatch{face, at == count ? 0 : at};
}

// Pairing by unique ID: the face the ID names (-1: none) fits when it has pointCount points.
inline FaceMatch matchByUniqueId(int face, int facePoints, int pointCount) {
  return face >= 0 && facePoints == pointCount ? FaceMatch{face, 0} : FaceMatch{};
}

} // namespace transfer
