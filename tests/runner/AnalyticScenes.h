// Generated documents whose morphs are known everywhere: a curved height-field sheet (or a model
// read from a Wavefront file) as the Source, its elements moved by an analytic field, and an
// edited copy as the Destination, so that the offset any added vertex should get is the field at
// its position.
#pragma once

#include "SimHost.h"

#include <array>
#include <string>
#include <vector>

namespace analytic {

using Point = std::array<double, 3>;

// Smooth fields (a bump, a broad swell, a one-sided field fading in over a band) and two that are
// not: a field cut sharply at x = 0 and one with a crease (a ridge along x = 0.11).
enum class Field { Bump, Swell, OneSided, Cut, Crease };
enum class Edit { Subdivided, Extruded, SeparatePieces, CoincidentVertices };

std::string nameOf(Field field);
std::string nameOf(Edit edit);

// Where a field lies on a mesh: the field's point q is the mesh's point centre + scale * q, its
// offsets are scale times as long, and its bump is round focus (a point of the field's).
struct Frame {
  Point centre{0, 0, 0};
  double scale = 1;
  Point focus{0.15, -0.05, 0.2};
};

// The field's offset at a point; by default as it lies on the sheet.
Point offsetAt(Field field, const Point& p, const Frame& frame = Frame{});

// A mesh with the unique ID of each vertex (a vertex kept by the edit keeps its Source ID).
struct Mesh {
  std::vector<Point> positions;
  std::vector<MQDWORD> ids;
  std::vector<std::vector<int>> faces;
};

Mesh sourceSheet();
Mesh edited(const Mesh& source, Edit edit);

// A Wavefront file's mesh, its vertices given unique IDs 1, 2, ...
Mesh readModel(const std::string& path);
// The faces with every point within radius of centre split as a modeler's subdivision splits them
// (a triangle in four, a quad in four round its centre), the old vertices kept where they are:
// the new points on the faces (flat) or on a smooth surface through the old vertices (smooth);
// faces beside the region take the new points of their shared edges.
Mesh subdividedAround(const Mesh& source, const Point& centre, double radius, bool smooth);
// The diagonal of the mesh's bounding box.
double sizeOf(const Mesh& mesh);
// A frame whose unit is half the mesh's largest extent, centred on its bounding box, with the
// bump round the mesh's vertex closest to focusNear.
Frame frameOf(const Mesh& mesh, const Point& focusNear);

// Fills an empty document: "Sheet" (selected), its element "elem:<field>-Sheet", and the
// Destination "SheetEdited" (selected).
void buildDocument(sim::Document& document, Field field, Edit edit);
// The same for any Source and Destination, the field laid over them by the frame.
void buildDocument(sim::Document& document, const Mesh& source, const Mesh& destination,
                   Field field, const Frame& frame);
// The same document as a document file.
void writeDocumentFile(const std::string& path, Field field, Edit edit);

} // namespace analytic
