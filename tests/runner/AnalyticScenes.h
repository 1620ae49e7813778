// Generated documents whose morphs are known everywhere: a curved height-field sheet as the
// Source, its elements moved by an analytic field, and an edited copy as the Destination, so that
// the offset any added vertex should get is the field at its position.
#pragma once

#include "SimHost.h"

#include <array>
#include <string>
#include <vector>

namespace analytic {

using Point = std::array<double, 3>;

enum class Field { Bump, Swell, OneSided };
enum class Edit { Subdivided, Extruded, SeparatePieces, CoincidentVertices };

std::string nameOf(Field field);
std::string nameOf(Edit edit);

// The field's offset at a point.
Point offsetAt(Field field, const Point& p);

// A mesh with the unique ID of each vertex (a vertex kept by the edit keeps its Source ID).
struct Mesh {
  std::vector<Point> positions;
  std::vector<MQDWORD> ids;
  std::vector<std::vector<int>> faces;
};

Mesh sourceSheet();
Mesh edited(const Mesh& source, Edit edit);

// Fills an empty document: "Sheet" (selected), its element "elem:<field>-Sheet", and the
// Destination "SheetEdited" (selected).
void buildDocument(sim::Document& document, Field field, Edit edit);
// The same document as a document file.
void writeDocumentFile(const std::string& path, Field field, Edit edit);

} // namespace analytic
