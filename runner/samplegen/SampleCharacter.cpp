#include "SampleCharacter.h"

#include "transfer/ElementNaming.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace runner {

namespace {

const double kPi = 3.14159265358979323846;

struct ProfilePoint {
  double t, y, radius;
};

// Hip to crown: torso with a belly, shoulders, neck, head.
const ProfilePoint kProfile[] = {{0.00, 0.00, 0.26}, {0.25, 0.45, 0.34}, {0.45, 0.85, 0.33},
                                 {0.58, 1.10, 0.30}, {0.64, 1.22, 0.10}, {0.70, 1.32, 0.10},
                                 {0.76, 1.40, 0.18}, {0.86, 1.56, 0.21}, {0.95, 1.72, 0.16},
                                 {1.00, 1.80, 0.06}};

// Coordinates on a 0.0001 grid keep the readable sample short; mirrored values stay exact.
float snap(double value) {
  return static_cast<float>(std::round(value * 10000) / 10000);
}

void profileAt(double t, double& y, double& radius) {
  size_t i = 0;
  while (i + 2 < std::size(kProfile) && t > kProfile[i + 1].t)
    ++i;
  const ProfilePoint& a = kProfile[i];
  const ProfilePoint& b = kProfile[i + 1];
  double s = std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0);
  s = s * s * (3 - 2 * s);
  y = a.y + (b.y - a.y) * s;
  radius = a.radius + (b.radius - a.radius) * s;
}

// A point of the body surface; x is mirrored exactly so that left and right match bit for bit.
MQPoint bodyPoint(double t, int j, int segments) {
  const int k = j <= segments / 2 ? j : segments - j;
  double y, radius;
  profileAt(t, y, radius);
  const double depth = t < 0.62 ? 0.8 : 0.95; // torso flatter front to back than the head
  const double theta = 2 * kPi * k / segments;
  float x = snap(radius * std::sin(theta));
  if (k == 0 || 2 * k == segments)
    x = 0.0f;
  if (j != k)
    x = -x;
  return MQPoint{x, snap(y), snap(radius * depth * std::cos(theta))};
}

double ringT(int ring, int rings) {
  return static_cast<double>(ring) / (rings - 1);
}

double gauss2(double dx, double dy, double sigma) {
  return std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
}

double frontness(const MQPoint& p) {
  return std::clamp(p.z / 0.05, 0.0, 1.0);
}

// The morph kinds, as offsets of a Source position.
MQPoint morphOffset(int kind, double strength, const MQPoint& p) {
  double dx = 0, dy = 0, dz = 0;
  const double front = frontness(p);
  switch (kind) {
  case 0: { // smile: both mouth corners up and out
    const double side = p.x >= 0 ? 1 : -1;
    const double g = gauss2(std::fabs(p.x) - 0.08, p.y - 1.47, 0.04) * front;
    dx = 0.012 * side * g, dy = 0.03 * g, dz = -0.012 * g;
    break;
  }
  case 1: { // blink: both eyelids down
    const double g = gauss2(std::fabs(p.x) - 0.07, p.y - 1.60, 0.035) * front;
    dy = -0.018 * g, dz = -0.008 * g;
    break;
  }
  case 2: { // sneer on the left side only
    const double g =
        gauss2(p.x - 0.05, p.y - 1.52, 0.035) * front * std::clamp(p.x / 0.02, 0.0, 1.0);
    dx = 0.006 * g, dy = 0.025 * g, dz = 0.006 * g;
    break;
  }
  case 3: { // belly out
    const double g = gauss2(p.x, p.y - 0.6, 0.2) * std::clamp(p.z / 0.1 + 0.5, 0.0, 1.0);
    dx = 0.25 * p.x * g, dz = 0.08 * g;
    break;
  }
  default: { // arms up from the shoulders
    const double s = std::clamp((std::fabs(p.x) - 0.28) / 0.72, 0.0, 1.0);
    dx = -(p.x >= 0 ? 1 : -1) * 0.06 * s * s, dy = 0.45 * s * s;
    break;
  }
  }
  return MQPoint{snap(p.x + dx * strength), snap(p.y + dy * strength), snap(p.z + dz * strength)};
}

const char* const kMorphNames[] = {"smile", "blink", "sneerL", "belly", "armsUp"};

int addFace(sim::Object& object, const std::vector<int>& points, const std::vector<float>& uvs,
            int material) {
  const int f = object.addFace(points);
  object.editMaterials()[static_cast<size_t>(f)] = material;
  for (size_t i = 0; i < points.size(); ++i)
    object.editFaceUvs(f)[i] = MQCoordinate{snap(uvs[i * 2]), snap(uvs[i * 2 + 1])};
  return f;
}

// One face as a value, for building the edited copy face by face.
struct FaceRecord {
  std::vector<int> points;
  MQDWORD uniqueId = 0;
  int material = -1;
  std::vector<MQCoordinate> uvs;
  std::vector<float> creases;
};

FaceRecord faceRecord(const sim::Object& object, int f) {
  return FaceRecord{object.facePointList(f), object.faceIds[static_cast<size_t>(f)],
                    object.materials[static_cast<size_t>(f)], object.faceUvList(f),
                    object.faceCreaseList(f)};
}

void appendFace(sim::Object& object, const FaceRecord& face) {
  const MQDWORD next = object.nextFaceUniqueId;
  const int f = object.addFace(face.points);
  object.nextFaceUniqueId = next;
  object.editFaceIds()[static_cast<size_t>(f)] = face.uniqueId;
  object.editMaterials()[static_cast<size_t>(f)] = face.material;
  object.setFaceUvs(f, face.uvs);
  object.setFaceCreases(f, face.creases);
}

// Layout of the Source body: index of ring vertex (ring, j) and of the poles.
struct BodyLayout {
  int segments, rings;
  int bottomPole() const { return 0; }
  int at(int ring, int j) const { return 1 + ring * segments + (j % segments); }
  int topPole() const { return 1 + rings * segments; }
};

void addArm(sim::Object& body, const SampleOptions& o, float side) {
  const int first = body.vertexCount();
  for (int a = 0; a < o.armRings; ++a) {
    const double s = static_cast<double>(a) / (o.armRings - 1);
    const double cx = 0.27 + 0.68 * s, cy = 1.04 - 0.16 * s, r = 0.075 - 0.025 * s;
    for (int k = 0; k < o.armSegments; ++k) {
      const double phi = 2 * kPi * k / o.armSegments;
      body.addVertex(snap(side * cx), snap(cy + r * std::cos(phi)), snap(r * std::sin(phi)));
    }
  }
  const int tip = body.addVertex(side * 0.975f, 0.88f, 0.0f);
  for (int a = 0; a + 1 < o.armRings; ++a)
    for (int k = 0; k < o.armSegments; ++k) {
      const int k1 = (k + 1) % o.armSegments;
      const int p0 = first + a * o.armSegments + k, p1 = first + a * o.armSegments + k1;
      const int q0 = p0 + o.armSegments, q1 = p1 + o.armSegments;
      const float u0 = static_cast<float>(k) / o.armSegments;
      const float u1 = static_cast<float>(k + 1) / o.armSegments;
      const float v0 = static_cast<float>(a) / o.armRings,
                  v1 = static_cast<float>(a + 1) / o.armRings;
      if (side > 0)
        addFace(body, {p0, q0, q1, p1}, {u0, v0, u0, v1, u1, v1, u1, v0}, 2);
      else
        addFace(body, {p0, p1, q1, q0}, {u0, v0, u1, v0, u1, v1, u0, v1}, 2);
    }
  const int last = first + (o.armRings - 1) * o.armSegments;
  for (int k = 0; k < o.armSegments; ++k) {
    const int p0 = last + k, p1 = last + (k + 1) % o.armSegments;
    if (side > 0)
      addFace(body, {p0, tip, p1}, {0, 1, 0.5f, 1, 1, 1}, 2);
    else
      addFace(body, {p0, p1, tip}, {0, 1, 1, 1, 0.5f, 1}, 2);
  }
  for (int v = first; v < body.vertexCount(); ++v)
    body.editWeights()[static_cast<size_t>(v)] = 0.75f;
}

void buildBody(sim::Object& body, const SampleOptions& o) {
  const BodyLayout layout{o.segments, o.rings};
  body.addVertex(0.0f, -0.03f, 0.0f);
  for (int r = 0; r < o.rings; ++r)
    for (int j = 0; j < o.segments; ++j)
      body.addVertex(bodyPoint(ringT(r, o.rings), j, o.segments));
  body.addVertex(0.0f, 1.83f, 0.0f);
  const int neckRing = static_cast<int>(0.64 * (o.rings - 1));
  auto material = [&](int ring) { return ringT(ring, o.rings) < 0.62 ? 0 : 1; };
  for (int j = 0; j < o.segments; ++j) {
    const float u0 = static_cast<float>(j) / o.segments,
                u1 = static_cast<float>(j + 1) / o.segments;
    addFace(body, {layout.bottomPole(), layout.at(0, j + 1), layout.at(0, j)},
            {0.5f, 0, u1, 0, u0, 0}, 0);
  }
  for (int r = 0; r + 1 < o.rings; ++r)
    for (int j = 0; j < o.segments; ++j) {
      const float u0 = static_cast<float>(j) / o.segments;
      const float u1 = static_cast<float>(j + 1) / o.segments;
      const float v0 = static_cast<float>(ringT(r, o.rings));
      const float v1 = static_cast<float>(ringT(r + 1, o.rings));
      const int f = addFace(
          body,
          {layout.at(r, j), layout.at(r, j + 1), layout.at(r + 1, j + 1), layout.at(r + 1, j)},
          {u0, v0, u1, v0, u1, v1, u0, v1}, material(r));
      if (r == neckRing)
        body.editFaceCreases(f)[0] = 1.0f;
    }
  for (int j = 0; j < o.segments; ++j) {
    const float u0 = static_cast<float>(j) / o.segments,
                u1 = static_cast<float>(j + 1) / o.segments;
    addFace(body, {layout.at(o.rings - 1, j), layout.at(o.rings - 1, j + 1), layout.topPole()},
            {u0, 1, u1, 1, 0.5f, 1}, 1);
  }
  addArm(body, o, 1.0f);
  addArm(body, o, -1.0f);
}

// What the edit does where: the new loop above one ring, quads re-triangulated between two
// others, and the IDs it hands out.
struct Edit {
  Edit(const sim::Object& source, const SampleOptions& o)
      : layout{o.segments, o.rings}, loopRing(static_cast<int>(0.3 * (o.rings - 1))),
        retriangulateFrom(static_cast<int>(0.42 * (o.rings - 1))),
        retriangulateTo(static_cast<int>(0.5 * (o.rings - 1))),
        nextVertexId(source.nextVertexUniqueId), nextFaceId(source.nextFaceUniqueId),
        newIndex(source.positions.size(), -1), loop(static_cast<size_t>(o.segments)) {}
  BodyLayout layout;
  int loopRing, retriangulateFrom, retriangulateTo;
  MQDWORD nextVertexId, nextFaceId;
  std::vector<int> newIndex; // by Source vertex
  std::vector<int> loop;     // the new loop's vertices
};

// The vertices in the order a re-export gives: the pole deleted, the nose pulled forward, the new
// loop's vertices (fresh IDs) right after the ring below it.
void editVertices(const sim::Object& source, sim::Object& edited, const SampleOptions& o, Edit& e) {
  for (int v = 0; v < source.vertexCount(); ++v) {
    if (v == e.layout.bottomPole())
      continue; // deleted, with its fan: the hip is left open
    MQPoint position = source.positions[static_cast<size_t>(v)];
    if (v < e.layout.topPole() && position.z > 0 &&
        gauss2(position.x, position.y - 1.53, 0.025) > 0.3)
      position.z = snap(position.z + 0.02); // the nose pulled forward
    e.newIndex[static_cast<size_t>(v)] = static_cast<int>(edited.positions.size());
    edited.editPositions().push_back(position);
    edited.editVertexIds().push_back(source.vertexIds[static_cast<size_t>(v)]);
    edited.editWeights().push_back(source.weights[static_cast<size_t>(v)]);
    if (v != e.layout.at(e.loopRing, o.segments - 1))
      continue;
    const double t = (ringT(e.loopRing, o.rings) + ringT(e.loopRing + 1, o.rings)) / 2;
    for (int j = 0; j < o.segments; ++j) {
      e.loop[static_cast<size_t>(j)] = static_cast<int>(edited.positions.size());
      edited.editPositions().push_back(bodyPoint(t, j, o.segments));
      edited.editVertexIds().push_back(e.nextVertexId++);
      edited.editWeights().push_back(1.0f);
    }
  }
  edited.nextVertexUniqueId = e.nextVertexId;
}

FaceRecord remapped(const FaceRecord& face, const Edit& e) {
  FaceRecord copy = face;
  for (int& p : copy.points)
    p = e.newIndex[static_cast<size_t>(p)];
  return copy;
}

// A quad of the ring below the new loop, split by it into two quads with fresh IDs.
void splitByLoop(const FaceRecord& face, int j, const SampleOptions& o, Edit& e,
                 std::vector<FaceRecord>& appended) {
  FaceRecord lower = remapped(face, e), upper = remapped(face, e);
  const int m0 = e.loop[static_cast<size_t>(j)],
            m1 = e.loop[static_cast<size_t>((j + 1) % o.segments)];
  const float vm = snap((face.uvs[0].v + face.uvs[2].v) / 2.0);
  lower.points[2] = m1, lower.points[3] = m0;
  lower.uvs[2].v = vm, lower.uvs[3].v = vm;
  upper.points[0] = m0, upper.points[1] = m1;
  upper.uvs[0].v = vm, upper.uvs[1].v = vm;
  lower.uniqueId = e.nextFaceId++;
  upper.uniqueId = e.nextFaceId++;
  appended.push_back(lower);
  appended.push_back(upper);
}

// A quad re-triangulated: two triangles with fresh IDs and no creases.
void retriangulate(const FaceRecord& face, Edit& e, std::vector<FaceRecord>& appended) {
  const FaceRecord quad = remapped(face, e);
  for (const auto& corners : {std::vector<size_t>{0, 1, 2}, std::vector<size_t>{0, 2, 3}}) {
    FaceRecord tri;
    tri.uniqueId = e.nextFaceId++;
    tri.material = quad.material;
    for (size_t c : corners) {
      tri.points.push_back(quad.points[c]);
      tri.uvs.push_back(quad.uvs[c]);
      tri.creases.push_back(0.0f);
    }
    appended.push_back(tri);
  }
}

// The faces kept in order, the split and re-triangulated ones after them.
void editFaces(const sim::Object& source, sim::Object& edited, const SampleOptions& o, Edit& e) {
  std::vector<FaceRecord> appended;
  const int bodyFaces = o.segments * (o.rings + 1);
  for (int f = o.segments; f < source.faceCount(); ++f) { // the pole's fan is gone
    const FaceRecord face = faceRecord(source, f);
    const bool quadOfBody = f < bodyFaces - o.segments;
    const int ring = quadOfBody ? (face.points[0] - 1) / o.segments : -1;
    const int j = quadOfBody ? (face.points[0] - 1) % o.segments : 0;
    const bool back = j > o.segments * 3 / 8 && j < o.segments * 5 / 8;
    if (quadOfBody && ring == e.loopRing)
      splitByLoop(face, j, o, e, appended);
    else if (quadOfBody && back && ring >= e.retriangulateFrom && ring < e.retriangulateTo)
      retriangulate(face, e, appended);
    else
      appendFace(edited, remapped(face, e));
  }
  for (const FaceRecord& face : appended)
    appendFace(edited, face);
  edited.nextFaceUniqueId = e.nextFaceId;
}

// The head selected, for runs limited to selected vertices.
void selectHead(sim::Object& edited) {
  for (int v = 0; v < edited.vertexCount(); ++v)
    if (edited.positions[static_cast<size_t>(v)].y > 1.3f &&
        std::fabs(edited.positions[static_cast<size_t>(v)].x) < 0.25f)
      edited.selectedVertices.insert(v);
  for (int f = 0; f < edited.faceCount(); ++f) {
    const std::vector<int> points = edited.facePointList(f);
    if (std::all_of(points.begin(), points.end(),
                    [&](int p) { return edited.selectedVertices.count(p) != 0; }))
      edited.selectedFaces.insert(f);
  }
}

// The edited copy, as a modeler leaves it: vertices keep their unique IDs, new ones take fresh
// IDs, and the vertex list is in the order a re-export would give (new loop between its rings).
void buildEdited(const sim::Object& source, sim::Object& edited, const SampleOptions& o) {
  Edit edit(source, o);
  editVertices(source, edited, o, edit);
  editFaces(source, edited, o, edit);
  selectHead(edited);
}

} // namespace

SampleOptions sampleOptionsForVertices(int vertices, int morphs) {
  SampleOptions o;
  const double scale = std::sqrt(std::max(vertices, 200) / 2000.0);
  o.segments = std::max(8, static_cast<int>(std::lround(32 * scale / 2)) * 2);
  o.armSegments = std::max(6, static_cast<int>(std::lround(12 * scale)));
  o.armRings = std::max(4, static_cast<int>(std::lround(14 * scale)));
  const int armVertices = 2 * (o.armSegments * o.armRings + 1);
  o.rings = std::max(12, (vertices - armVertices - 2) / o.segments);
  o.morphs = morphs;
  return o;
}

void buildSampleDocument(sim::Document& document, const SampleOptions& options) {
  sim::Object* body = document.addObject("Body");
  buildBody(*body, options);
  body->selected = 1;
  for (int k = 0; k < options.morphs; ++k) {
    const int kind = k % 5, round = k / 5;
    std::string morph = kMorphNames[kind];
    if (round > 0)
      morph += std::to_string(round + 1);
    sim::Object* element = document.addObject(naming::elementName(morph, "Body"));
    element->copyGeometry(*body);
    const double strength = 1.0 + 0.15 * round;
    for (MQPoint& p : element->editPositions())
      p = morphOffset(kind, strength, p);
    element->depth = 1;
    element->visible = 0;
  }
  sim::Object* edited = document.addObject("BodyEdited");
  buildEdited(*body, *edited, options);
  edited->selected = 1;
}

} // namespace runner
