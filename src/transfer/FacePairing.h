// Which face of a Source element a Destination face takes its attributes from, and how its
// corners line up: by the face's unique ID (a face of another size does not fit), or through the
// Source vertices its points were paired with (the smallest face holding them all, when it has as
// many points; the rotation is where the first point's Source vertex stands in it).
// Pure: the Source element's faces as a snapshot with their faces by vertex, the Destination
// face's points and the dense vertex pairs in; a face and rotation out.
#pragma once

#include "transfer/MeshSnapshot.h"
#include "transfer/VertexFaces.h"

#include <utility>
#include <vector>

namespace transfer {

struct FaceMatch {
  int face = -1;    // -1: no face of the Source element fits
  int rotation = 0; // position in the Source face of the Source vertex of the first point
};

// The Source element's faces, as the pairing reads them.
struct ElementFaces {
  explicit ElementFaces(MeshSnapshot snapshot) : mesh(std::move(snapshot)), byVertex(mesh) {}
  MeshSnapshot mesh;
  VertexFaces byVertex;
};

// The smallest face holding all the given vertices, when its point count is theirs; -1
// otherwise, also when a vertex is in no face or not in the mesh at all.
int findFaceWithVertices(const ElementFaces& element, const std::vector<int>& vertices);

// Pairing through the vertices: points of the Destination face, vertexPairs its Source vertex
// per Destination vertex (kNoSourceVertex: none). A point without a Source vertex pairs nothing.
FaceMatch findSourceFace(const ElementFaces& element, const int* points, int pointCount,
                         const std::vector<int>& vertexPairs);

// Pairing by unique ID: the face the ID names (-1: none) fits when it has pointCount points.
inline FaceMatch matchByUniqueId(int face, int facePoints, int pointCount) {
  return face >= 0 && facePoints == pointCount ? FaceMatch{face, 0} : FaceMatch{};
}

} // namespace transfer
