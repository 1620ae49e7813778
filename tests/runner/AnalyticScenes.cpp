#include "AnalyticScenes.h"

#include "DocumentFile.h"
#include "ObjReader.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace analytic {

namespace {

const int kSide = 41;           // vertices along each side of the sheet
const double kSpacing = 0.05;   // between them
const MQDWORD kNewIds = 100000; // unique IDs of vertices the edit added start here

double height(double x, double y) {
  return 0.25 * std::cos(1.3 * x) * std::cos(1.1 * y);
}

// Coordinates mirrored exactly about x = 0, so that left and right partners match.
double coordinate(int i) {
  const int half = kSide / 2;
  return i >= half ? (i - half) * kSpacing : -((half - i) * kSpacing);
}

Point onSheet(double x, double y, double lift = 0) {
  return Point{x, y, height(x, y) + lift};
}

int addVertex(Mesh& mesh, const Point& p, MQDWORD id) {
  mesh.positions.push_back(p);
  mesh.ids.push_back(id);
  return static_cast<int>(mesh.positions.size()) - 1;
}

int at(int i, int j) {
  return j * kSide + i;
}

// Quads of the sheet inside [from, to) in both directions are split in four; their edge
// midpoints join the neighbouring faces too, as a modeler's subdivision leaves them.
Mesh subdivide(const Mesh& source, int from, int to) {
  Mesh mesh = source;
  mesh.faces.clear();
  std::map<std::pair<int, int>, int> midpoint;
  MQDWORD next = kNewIds;
  auto middle = [&](int a, int b) {
    const auto key = std::make_pair(std::min(a, b), std::max(a, b));
    if (auto it = midpoint.find(key); it != midpoint.end())
      return it->second;
    const Point &p = source.positions[static_cast<size_t>(a)],
                &q = source.positions[static_cast<size_t>(b)];
    return midpoint[key] = addVertex(mesh, onSheet((p[0] + q[0]) / 2, (p[1] + q[1]) / 2), next++);
  };
  std::vector<std::vector<int>> kept;
  for (int j = 0; j + 1 < kSide; ++j)
    for (int i = 0; i + 1 < kSide; ++i) {
      const int c[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
      if (i < from || i >= to || j < from || j >= to) {
        kept.push_back({c[0], c[1], c[2], c[3]});
        continue;
      }
      int m[4];
      for (int e = 0; e < 4; ++e)
        m[e] = middle(c[e], c[(e + 1) % 4]);
      const int centre = addVertex(
          mesh, onSheet(coordinate(i) + kSpacing / 2, coordinate(j) + kSpacing / 2), next++);
      for (int e = 0; e < 4; ++e)
        mesh.faces.push_back({c[e], m[e], centre, m[(e + 3) % 4]});
    }
  // Faces beside the region take the midpoints of their shared edges.
  for (const std::vector<int>& face : kept) {
    std::vector<int> points;
    for (size_t e = 0; e < face.size(); ++e) {
      const int a = face[e], b = face[(e + 1) % face.size()];
      points.push_back(a);
      if (auto it = midpoint.find({std::min(a, b), std::max(a, b)}); it != midpoint.end())
        points.push_back(it->second);
    }
    mesh.faces.push_back(points);
  }
  return mesh;
}

// A block of quads pulled out of the sheet: its inner vertices go, new ones form the sides (with
// a loop one spacing up) and the cap, three spacings above the sheet.
Mesh extrude(const Mesh& source, int from, int size) {
  const double lift[] = {0, kSpacing, 3 * kSpacing};
  Mesh mesh;
  std::vector<int> kept(source.positions.size(), -1);
  for (int j = 0; j < kSide; ++j)
    for (int i = 0; i < kSide; ++i) {
      const bool inner = i > from && i < from + size && j > from && j < from + size;
      if (!inner)
        kept[static_cast<size_t>(at(i, j))] =
            addVertex(mesh, source.positions[static_cast<size_t>(at(i, j))],
                      source.ids[static_cast<size_t>(at(i, j))]);
    }
  for (const std::vector<int>& face : source.faces) {
    const int i = face[0] % kSide, j = face[0] / kSide;
    if (i >= from && i < from + size && j >= from && j < from + size)
      continue;
    mesh.faces.push_back({kept[static_cast<size_t>(face[0])], kept[static_cast<size_t>(face[1])],
                          kept[static_cast<size_t>(face[2])], kept[static_cast<size_t>(face[3])]});
  }
  // The block's rim, anticlockwise, and the rings above it.
  std::vector<std::pair<int, int>> rim;
  for (int k = 0; k < size; ++k)
    rim.emplace_back(from + k, from);
  for (int k = 0; k < size; ++k)
    rim.emplace_back(from + size, from + k);
  for (int k = 0; k < size; ++k)
    rim.emplace_back(from + size - k, from + size);
  for (int k = 0; k < size; ++k)
    rim.emplace_back(from, from + size - k);
  MQDWORD next = kNewIds;
  std::vector<std::vector<int>> rings(3);
  for (const auto& [i, j] : rim)
    rings[0].push_back(kept[static_cast<size_t>(at(i, j))]);
  for (int level = 1; level <= 2; ++level)
    for (const auto& [i, j] : rim)
      rings[static_cast<size_t>(level)].push_back(
          addVertex(mesh, onSheet(coordinate(i), coordinate(j), lift[level]), next++));
  const size_t n = rim.size();
  for (size_t level = 0; level < 2; ++level)
    for (size_t k = 0; k < n; ++k)
      mesh.faces.push_back({rings[level][k], rings[level][(k + 1) % n],
                            rings[level + 1][(k + 1) % n], rings[level + 1][k]});
  // The cap: the top ring round a grid of new inner vertices.
  std::map<std::pair<int, int>, int> cap;
  for (size_t k = 0; k < n; ++k)
    cap[rim[k]] = rings[2][k];
  for (int j = from + 1; j < from + size; ++j)
    for (int i = from + 1; i < from + size; ++i)
      cap[{i, j}] = addVertex(mesh, onSheet(coordinate(i), coordinate(j), lift[2]), next++);
  for (int j = from; j < from + size; ++j)
    for (int i = from; i < from + size; ++i)
      mesh.faces.push_back({cap[{i, j}], cap[{i + 1, j}], cap[{i + 1, j + 1}], cap[{i, j + 1}]});
  return mesh;
}

// Two new pieces joined to nothing: a patch lying just above the sheet, and a box far above it.
Mesh addPieces(const Mesh& source) {
  Mesh mesh = source;
  MQDWORD next = kNewIds;
  const int first = static_cast<int>(mesh.positions.size());
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i)
      addVertex(mesh, onSheet(0.05 + 0.08 * i, -0.3 + 0.08 * j, 0.02), next++);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) {
      const int a = first + j * 5 + i;
      mesh.faces.push_back({a, a + 1, a + 6, a + 5});
    }
  const int box = static_cast<int>(mesh.positions.size());
  for (int corner = 0; corner < 8; ++corner)
    addVertex(mesh,
              Point{-0.5 + 0.2 * (corner & 1), 0.4 + 0.2 * ((corner >> 1) & 1),
                    3.0 + 0.2 * (corner >> 2)},
              next++);
  const int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& side : sides)
    mesh.faces.push_back({box + side[0], box + side[1], box + side[2], box + side[3]});
  return mesh;
}

// A seam down one column: the faces on its right take new vertices at the same positions.
Mesh splitSeam(const Mesh& source, int column) {
  Mesh mesh = source;
  MQDWORD next = kNewIds;
  std::vector<int> twin(static_cast<size_t>(kSide));
  for (int j = 0; j < kSide; ++j)
    twin[static_cast<size_t>(j)] =
        addVertex(mesh, source.positions[static_cast<size_t>(at(column, j))], next++);
  for (std::vector<int>& face : mesh.faces) {
    if (face[0] % kSide != column)
      continue;
    for (int& p : face)
      if (p % kSide == column)
        p = twin[static_cast<size_t>(p / kSide)];
  }
  return mesh;
}

// The corners of the mesh's bounding box.
std::pair<Point, Point> boundsOf(const Mesh& mesh) {
  Point low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
  for (const Point& p : mesh.positions)
    for (size_t k = 0; k < 3; ++k)
      low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
  return {low, high};
}

using Edge = std::pair<int, int>;

Edge edgeOf(int a, int b) {
  return {std::min(a, b), std::max(a, b)};
}

// For each edge, the corners facing it in the triangles that have it (one entry per face that has
// the edge, -1 for faces other than triangles).
std::map<Edge, std::vector<int>> facingCorners(const Mesh& mesh) {
  std::map<Edge, std::vector<int>> facing;
  for (const std::vector<int>& face : mesh.faces)
    for (size_t e = 0; e < face.size(); ++e)
      facing[edgeOf(face[e], face[(e + 1) % face.size()])].push_back(
          face.size() == 3 ? face[(e + 2) % 3] : -1);
  return facing;
}

// The far corner of the triangle across edge ab from the one whose far corner is c; -1 where
// there is no such triangle.
int cornerAcross(const std::map<Edge, std::vector<int>>& facing, int a, int b, int c) {
  const auto it = facing.find(edgeOf(a, b));
  if (it == facing.end() || it->second.size() != 2 || it->second[0] < 0 || it->second[1] < 0)
    return -1;
  return it->second[0] == c ? it->second[1] : it->second[0];
}

// The new point on an edge: its midpoint where the subdivision is flat; where it is smooth, the
// butterfly rule (N. Dyn, D. Levin, J. Gregory, A butterfly subdivision scheme for surface
// interpolation with tension control, ACM TOG 9, 1990): 1/2 (a + b) + 1/8 (c + d) - 1/16 (the
// four wing corners), which puts it on a smooth surface through the old vertices; the midpoint
// where the edge lacks one of those triangles.
Point edgePoint(const Mesh& mesh, const Edge& edge, const std::map<Edge, std::vector<int>>& facing,
                bool smooth) {
  const int a = edge.first, b = edge.second;
  auto at = [&](int v) -> const Point& { return mesh.positions[static_cast<size_t>(v)]; };
  Point p{(at(a)[0] + at(b)[0]) / 2, (at(a)[1] + at(b)[1]) / 2, (at(a)[2] + at(b)[2]) / 2};
  const std::vector<int>& far = facing.at(edge);
  if (!smooth || far.size() != 2 || far[0] < 0 || far[1] < 0)
    return p;
  const int c = far[0], d = far[1];
  const int wings[4] = {cornerAcross(facing, a, c, b), cornerAcross(facing, b, c, a),
                        cornerAcross(facing, a, d, b), cornerAcross(facing, b, d, a)};
  if (std::find(std::begin(wings), std::end(wings), -1) != std::end(wings))
    return p;
  for (size_t k = 0; k < 3; ++k) {
    p[k] += (at(c)[k] + at(d)[k]) / 8;
    for (int w : wings)
      p[k] -= at(w)[k] / 16;
  }
  return p;
}

void fill(sim::Object& object, const Mesh& mesh, const std::vector<Point>& positions) {
  for (const Point& p : positions)
    object.addVertex(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
  for (size_t v = 0; v < mesh.ids.size(); ++v)
    object.setVertexUniqueId(static_cast<int>(v), mesh.ids[v]);
  for (const std::vector<int>& face : mesh.faces)
    object.addFace(face);
}

// The field in its own units.
Point fieldAt(Field field, const Point& p, const Point& focus) {
  switch (field) {
  case Field::Bump: { // a smooth bump, mostly outwards, round a point of the sheet
    const double dx = p[0] - focus[0], dy = p[1] - focus[1], dz = p[2] - focus[2];
    const double g = std::exp(-(dx * dx + dy * dy + dz * dz) / (2 * 0.25 * 0.25));
    return Point{0.02 * g, -0.01 * g, 0.12 * g};
  }
  case Field::Swell: { // a broad swell of the whole sheet
    const double s = 1 + 0.3 * p[0] - 0.2 * p[1];
    return Point{0.04 * p[0] * s, 0.03 * p[1] * s, 0.08 * (1 - 0.2 * (p[0] * p[0] + p[1] * p[1]))};
  }
  case Field::OneSided: { // on the side x > 0 only, fading in over a band
    const double t = std::fmin(std::fmax(p[0] / 0.4, 0.0), 1.0), s = t * t * (3 - 2 * t);
    return Point{0.03 * s, 0.05 * s * std::cos(2 * p[1]), 0.04 * s};
  }
  case Field::Cut: { // on the side x > 0 only, at full strength up to the cut
    const double s = p[0] > 0 ? 1 : 0;
    return Point{0.03 * s * (1 + p[1]), 0.05 * s * std::cos(2 * p[1]),
                 0.04 * s * (1 + p[0] - p[1])};
  }
  default: { // a ridge along x = 0.11, falling off linearly to nothing 0.3 away
    const double s = std::fmax(0.0, 1 - std::fabs(p[0] - 0.11) / 0.3);
    return Point{0.01 * s, 0.02 * s, 0.06 * s};
  }
  }
}

} // namespace

std::string nameOf(Field field) {
  const char* const names[] = {"bump", "swell", "oneSided", "cut", "crease"};
  return names[static_cast<int>(field)];
}

std::string nameOf(Edit edit) {
  switch (edit) {
  case Edit::Subdivided:
    return "subdivided region";
  case Edit::Extruded:
    return "extruded part";
  case Edit::SeparatePieces:
    return "separate pieces";
  default:
    return "coincident vertices";
  }
}

Point offsetAt(Field field, const Point& p, const Frame& frame) {
  Point q;
  for (size_t k = 0; k < 3; ++k)
    q[k] = (p[k] - frame.centre[k]) / frame.scale;
  const Point o = fieldAt(field, q, frame.focus);
  return Point{frame.scale * o[0], frame.scale * o[1], frame.scale * o[2]};
}

Mesh sourceSheet() {
  Mesh mesh;
  for (int j = 0; j < kSide; ++j)
    for (int i = 0; i < kSide; ++i)
      addVertex(mesh, onSheet(coordinate(i), coordinate(j)), static_cast<MQDWORD>(at(i, j) + 1));
  for (int j = 0; j + 1 < kSide; ++j)
    for (int i = 0; i + 1 < kSide; ++i)
      mesh.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
  return mesh;
}

Mesh edited(const Mesh& source, Edit edit) {
  switch (edit) {
  case Edit::Subdivided:
    return subdivide(source, 12, 28);
  case Edit::Extruded:
    return extrude(source, 24, 6);
  case Edit::SeparatePieces:
    return addPieces(source);
  default:
    return splitSeam(source, 26);
  }
}

void buildDocument(sim::Document& document, Field field, Edit edit) {
  const Mesh source = sourceSheet();
  buildDocument(document, source, edited(source, edit), field, Frame{});
}

void buildDocument(sim::Document& document, const Mesh& source, const Mesh& destination,
                   Field field, const Frame& frame) {
  sim::Object* sheet = document.addObject("Sheet");
  fill(*sheet, source, source.positions);
  sheet->selected = 1;
  std::vector<Point> moved;
  for (const Point& p : source.positions) {
    const Point o = offsetAt(field, p, frame);
    moved.push_back(Point{p[0] + o[0], p[1] + o[1], p[2] + o[2]});
  }
  sim::Object* element = document.addObject("elem:" + nameOf(field) + "-Sheet");
  fill(*element, source, moved);
  element->depth = 1;
  sim::Object* copy = document.addObject("SheetEdited");
  fill(*copy, destination, destination.positions);
  copy->selected = 1;
}

Mesh readModel(const std::string& path) {
  const runner::obj::Mesh file =
      runner::obj::readMesh(path, runner::obj::ReadOptions{runner::obj::ReadPart::Mesh, false});
  Mesh mesh;
  for (int v = 0; v < file.vertexCount(); ++v) {
    const float* p = &file.positions[3 * static_cast<size_t>(v)];
    addVertex(mesh, Point{p[0], p[1], p[2]}, static_cast<MQDWORD>(v + 1));
  }
  for (int f = 0; f < file.faceCount(); ++f)
    mesh.faces.emplace_back(
        file.cornerVertex.begin() + static_cast<std::ptrdiff_t>(file.faceStart[f]),
        file.cornerVertex.begin() + static_cast<std::ptrdiff_t>(file.faceStart[f + 1]));
  return mesh;
}

Mesh subdividedAround(const Mesh& source, const Point& centre, double radius, bool smooth) {
  Mesh mesh = source;
  mesh.faces.clear();
  const std::map<Edge, std::vector<int>> facing = facingCorners(source);
  std::map<Edge, int> split;
  MQDWORD next = kNewIds;
  auto middle = [&](int a, int b) {
    const Edge edge = edgeOf(a, b);
    if (auto it = split.find(edge); it != split.end())
      return it->second;
    return split[edge] = addVertex(mesh, edgePoint(source, edge, facing, smooth), next++);
  };
  auto inside = [&](const std::vector<int>& face) {
    return (face.size() == 3 || face.size() == 4) &&
           std::all_of(face.begin(), face.end(), [&](int v) {
             const Point& p = source.positions[static_cast<size_t>(v)];
             const double d[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
             return d[0] * d[0] + d[1] * d[1] + d[2] * d[2] <= radius * radius;
           });
  };
  std::vector<std::vector<int>> beside;
  for (const std::vector<int>& face : source.faces) {
    if (!inside(face)) {
      beside.push_back(face);
      continue;
    }
    const size_t n = face.size();
    std::vector<int> m(n);
    for (size_t e = 0; e < n; ++e)
      m[e] = middle(face[e], face[(e + 1) % n]);
    if (n == 3) {
      mesh.faces.push_back({face[0], m[0], m[2]});
      mesh.faces.push_back({m[0], face[1], m[1]});
      mesh.faces.push_back({m[2], m[1], face[2]});
      mesh.faces.push_back({m[0], m[1], m[2]});
      continue;
    }
    Point mean{0, 0, 0};
    for (int v : face)
      for (size_t k = 0; k < 3; ++k)
        mean[k] += source.positions[static_cast<size_t>(v)][k] / 4;
    const int middlePoint = addVertex(mesh, mean, next++);
    for (size_t e = 0; e < 4; ++e)
      mesh.faces.push_back({face[e], m[e], middlePoint, m[(e + 3) % 4]});
  }
  for (const std::vector<int>& face : beside) {
    std::vector<int> points;
    for (size_t e = 0; e < face.size(); ++e) {
      points.push_back(face[e]);
      if (auto it = split.find(edgeOf(face[e], face[(e + 1) % face.size()])); it != split.end())
        points.push_back(it->second);
    }
    mesh.faces.push_back(points);
  }
  return mesh;
}

double sizeOf(const Mesh& mesh) {
  const auto [low, high] = boundsOf(mesh);
  double sum = 0;
  for (size_t k = 0; k < 3; ++k)
    sum += (high[k] - low[k]) * (high[k] - low[k]);
  return std::sqrt(sum);
}

Frame frameOf(const Mesh& mesh, const Point& focusNear) {
  const auto [low, high] = boundsOf(mesh);
  Frame frame;
  frame.scale = 0;
  for (size_t k = 0; k < 3; ++k) {
    frame.centre[k] = (low[k] + high[k]) / 2;
    frame.scale = std::max(frame.scale, (high[k] - low[k]) / 2);
  }
  auto distance = [&](const Point& p) {
    return (p[0] - focusNear[0]) * (p[0] - focusNear[0]) +
           (p[1] - focusNear[1]) * (p[1] - focusNear[1]) +
           (p[2] - focusNear[2]) * (p[2] - focusNear[2]);
  };
  const Point& focus =
      *std::min_element(mesh.positions.begin(), mesh.positions.end(),
                        [&](const Point& a, const Point& b) { return distance(a) < distance(b); });
  for (size_t k = 0; k < 3; ++k)
    frame.focus[k] = (focus[k] - frame.centre[k]) / frame.scale;
  return frame;
}

void writeDocumentFile(const std::string& path, Field field, Edit edit) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  buildDocument(document, field, edit);
  runner::writeDocument(path, document, runner::DataLayout::Readable);
}

} // namespace analytic
