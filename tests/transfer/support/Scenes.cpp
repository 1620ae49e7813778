#include "Scenes.h"

#include "host/HostTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenes {
namespace {

void fill(sim::Object& object, const Mesh& mesh) {
  for (const MeshVertex& v : mesh.vertices) {
    const int i = object.addVertex(v.position);
    if (v.uniqueId)
      object.setVertexUniqueId(i, v.uniqueId);
  }
  for (const MeshFace& f : mesh.faces) {
    const int i = object.addFace(f.points);
    if (f.uniqueId)
      object.setFaceUniqueId(i, f.uniqueId);
  }
}

// A clone made by the host and placed in the document, as element set-up does.
sim::Object* hostClone(sim::Document& document, sim::Object* of, const std::string& name) {
  const MQObject clone = MQObj_Clone(of->handle());
  MQObj_SetName(clone, name.c_str());
  MQDoc_InsertObject(document.handle(), clone, nullptr);
  return document.host().objectFromHandle(clone);
}

// Removes the faces that use a vertex at or past the limit (an element shorter than its base).
void dropFacesBeyond(sim::Object& object, int limit) {
  sim::Object kept;
  for (int f = 0; f < object.faceCount(); ++f) {
    const std::vector<int> points = object.facePointList(f);
    if (std::any_of(points.begin(), points.end(), [&](int p) { return p >= limit; }))
      continue;
    const int g = kept.addFace(points);
    kept.editFaceIds()[size_t(g)] = object.editFaceIds()[size_t(f)];
    kept.editMaterials()[size_t(g)] = object.editMaterials()[size_t(f)];
    kept.setFaceUvs(g, object.faceUvList(f));
    kept.setFaceCreases(g, object.faceCreaseList(f));
  }
  object.faceIds = kept.faceIds;
  object.materials = kept.materials;
  object.faceStart = kept.faceStart;
  object.points = kept.points;
  object.uvs = kept.uvs;
  object.creases = kept.creases;
}

} // namespace

Instance instantiate(const Scene& scene, sim::Document& document) {
  Instance instance;
  instance.source = document.addObject("Body");
  fill(*instance.source, scene.source);
  instance.destination = document.addObject("Body edited");
  fill(*instance.destination, scene.destination);
  for (size_t k = 0; k < scene.elements.size(); ++k) {
    const ElementPlan& plan = scene.elements[k];
    sim::Object* e = hostClone(document, instance.source, "elem:m" + std::to_string(k) + "-Body");
    for (size_t v = 0; v < e->positions.size() && v < plan.positions.size(); ++v) {
      e->editPositions()[v] = plan.positions[v];
      if (v < plan.weights.size())
        e->editWeights()[v] = plan.weights[v];
    }
    for (int f = 0; f < e->faceCount(); ++f) {
      const size_t face = static_cast<size_t>(f);
      const size_t corners = static_cast<size_t>(e->facePointCount(f));
      if (face < plan.materials.size())
        e->editMaterials()[face] = plan.materials[face];
      if (face < plan.uvs.size() && plan.uvs[face].size() == corners)
        e->setFaceUvs(f, plan.uvs[face]);
      if (face < plan.creases.size() && plan.creases[face].size() == corners)
        e->setFaceCreases(f, plan.creases[face]);
    }
    if (plan.vertexCount >= 0 && static_cast<size_t>(plan.vertexCount) < e->positions.size()) {
      e->truncateVertices(plan.vertexCount);
      dropFacesBeyond(*e, plan.vertexCount);
    }

    instance.elements.push_back(e);
  }
  for (size_t k = 0; k < scene.elements.size(); ++k)
    instance.newElements.push_back(
        hostClone(document, instance.destination, "elem:m" + std::to_string(k) + "-Body edited"));
  instance.destination->selectedVertices.insert(scene.selectedVertices.begin(),
                                                scene.selectedVertices.end());
  instance.destination->selectedFaces.insert(scene.selectedFaces.begin(),
                                             scene.selectedFaces.end());
  return instance;
}

namespace {

class Random {
public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  // 0 .. n - 1
  int below(int n) { return n <= 0 ? 0 : static_cast<int>(engine_() % static_cast<uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  template <typename T> T pick(const std::vector<T>& values) {
    return values[static_cast<size_t>(below(static_cast<int>(values.size())))];
  }

private:
  std::mt19937 engine_;
};

float coordinate(Random& r) {
  static const std::vector<float> special = {0.0f, -0.0f, 0.001f, -0.001f, 0.0009999f, 0.0010001f,
                                             0.5f, -0.5f, 1.0f,   -1.0f,   0.000999f,  0.0011f};
  if (r.chance(40))
    return r.pick(special);
  if (r.chance(1))
    return std::numeric_limits<float>::quiet_NaN();
  // Far out, where neighbouring floats are further apart than the tolerance, and beyond.
  static const std::vector<float> far = {
      3e38f,     -3e38f,      1e20f,
      -1e20f,    16777216.0f, -16777217.0f,
      8192.001f, -8192.001f,  std::numeric_limits<float>::infinity()};
  if (r.chance(2))
    return r.pick(far);
  return static_cast<float>(r.below(17) - 8) / 8.0f;
}

MQPoint point(Random& r) {
  return MQPoint{coordinate(r), coordinate(r), coordinate(r)};
}

// Moves a point by an amount around the matching tolerance (some exactly at it).
MQPoint nudge(Random& r, MQPoint p) {
  static const std::vector<float> steps = {0.001f, 0.0009f, 0.0011f, 0.0007f, 0.5f, 0.0f};
  const float step = r.pick(steps);
  switch (r.below(3)) {
  case 0:
    p.x += step;
    break;
  case 1:
    p.y -= step;
    break;
  default:
    p.z += step;
    break;
  }
  return p;
}

std::vector<int> randomFace(Random& r, int vertexCount) {
  static const std::vector<int> sizes = {2, 3, 3, 3, 4, 4, 5, 1};
  const int size = std::min(r.pick(sizes), vertexCount);
  std::vector<int> points;
  while (static_cast<int>(points.size()) < size) {
    const int v = r.below(vertexCount);
    if (std::find(points.begin(), points.end(), v) == points.end() || r.chance(3))
      points.push_back(v);
  }
  return points;
}

Mesh randomSource(Random& r, bool mirrored) {
  Mesh mesh;
  const int n = r.below(36);
  for (int i = 0; i < n; ++i) {
    MQPoint p;
    if (!mesh.vertices.empty() && r.chance(15))
      p = mesh.vertices[static_cast<size_t>(r.below(i))].position; // coincident
    else if (!mesh.vertices.empty() && mirrored && r.chance(45)) {
      p = mesh.vertices[static_cast<size_t>(r.below(i))].position;
      p.x = r.chance(85) ? -p.x : -p.x + r.pick(std::vector<float>{0.001f, 0.0005f, 0.002f});
    } else
      p = point(r);
    mesh.vertices.push_back(MeshVertex{p, static_cast<MQDWORD>(i + 1)});
  }
  const int faces = n == 0 ? 0 : r.below(n + 4);
  for (int f = 0; f < faces; ++f)
    mesh.faces.push_back(MeshFace{randomFace(r, n), static_cast<MQDWORD>(f + 1)});
  if (r.chance(10))
    mesh.faces.push_back(MeshFace{{}, static_cast<MQDWORD>(faces + 1)}); // an empty face slot
  return mesh;
}

// The Destination: the Source with edits (IDs kept where a clone keeps them, fresh ones for
// new vertices and faces).
Mesh editedCopy(Random& r, const Mesh& source) {
  Mesh mesh = source;
  MQDWORD nextVertexId = static_cast<MQDWORD>(source.vertices.size() + 1);
  MQDWORD nextFaceId = static_cast<MQDWORD>(source.faces.size() + 1);
  const int edits = r.below(8);
  for (int e = 0; e < edits; ++e) {
    const int n = static_cast<int>(mesh.vertices.size());
    switch (r.below(8)) {
    case 0: { // delete a vertex with its faces
      if (n == 0)
        break;
      const int v = r.below(n);
      mesh.vertices.erase(mesh.vertices.begin() + v);
      std::vector<MeshFace> kept;
      for (MeshFace f : mesh.faces) {
        if (std::find(f.points.begin(), f.points.end(), v) != f.points.end())
          continue;
        for (int& p : f.points)
          p -= p > v ? 1 : 0;
        kept.push_back(f);
      }
      mesh.faces = kept;
      break;
    }
    case 1:
    case 2: { // insert a vertex, joined by new faces to its neighbours in index order
      const int at = r.below(n + 1);
      MQPoint p = point(r);
      if (n > 0 && r.chance(40)) {
        const MQPoint a = mesh.vertices[static_cast<size_t>(r.below(n))].position;
        const MQPoint b = mesh.vertices[static_cast<size_t>(r.below(n))].position;
        p = r.chance(50) ? a : MQPoint{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
      }
      mesh.vertices.insert(mesh.vertices.begin() + at, MeshVertex{p, nextVertexId++});
      for (MeshFace& f : mesh.faces)
        for (int& q : f.points)
          q += q >= at ? 1 : 0;
      const int faces = r.below(3);
      for (int f = 0; f < faces && n > 0; ++f) {
        std::vector<int> points = randomFace(r, n + 1);
        if (std::find(points.begin(), points.end(), at) == points.end())
          points[0] = at;
        mesh.faces.push_back(MeshFace{points, nextFaceId++});
      }
      break;
    }
    case 3: // move a vertex
      if (n > 0) {
        MeshVertex& v = mesh.vertices[static_cast<size_t>(r.below(n))];
        v.position = nudge(r, v.position);
      }
      break;
    case 4: // swap two vertices in index order
      if (n > 1) {
        const int a = r.below(n), b = r.below(n);
        std::swap(mesh.vertices[static_cast<size_t>(a)], mesh.vertices[static_cast<size_t>(b)]);
        for (MeshFace& f : mesh.faces)
          for (int& q : f.points)
            q = q == a ? b : q == b ? a : q;
      }
      break;
    case 5: // a face re-shaped under its old ID
      if (!mesh.faces.empty() && n > 0) {
        MeshFace& f = mesh.faces[static_cast<size_t>(r.below(static_cast<int>(mesh.faces.size())))];
        if (r.chance(50) && f.points.size() > 1)
          f.points.pop_back();
        else
          f.points.push_back(r.below(n));
      }
      break;
    case 6: // a face rotated (same ID, other starting corner) or dropped
      if (!mesh.faces.empty()) {
        const size_t f = static_cast<size_t>(r.below(static_cast<int>(mesh.faces.size())));
        if (r.chance(50) && !mesh.faces[f].points.empty())
          std::rotate(mesh.faces[f].points.begin(), mesh.faces[f].points.begin() + 1,
                      mesh.faces[f].points.end());
        else
          mesh.faces.erase(mesh.faces.begin() + static_cast<long>(f));
      }
      break;
    default: // append a vertex, sometimes a copy of an existing one
      mesh.vertices.push_back(
          MeshVertex{n > 0 && r.chance(50) ? mesh.vertices[static_cast<size_t>(r.below(n))].position
                                           : point(r),
                     nextVertexId++});
      if (n > 0)
        mesh.faces.push_back(MeshFace{{n, r.below(n), r.below(n)}, nextFaceId++});
      break;
    }
  }
  // New faces sometimes take a fresh ID even for old corners: pairing must then go by vertices.
  for (MeshFace& f : mesh.faces)
    if (r.chance(8))
      f.uniqueId = nextFaceId++;
  return mesh;
}

ElementPlan randomElement(Random& r, const Mesh& source) {
  ElementPlan plan;
  static const std::vector<float> offsets = {0.0f, 0.25f, -0.5f, 0.001f, 0.1f, -0.0625f, 3.0f};
  for (const MeshVertex& v : source.vertices) {
    MQPoint p = v.position;
    if (r.chance(70)) {
      p.x += r.pick(offsets);
      p.y += r.pick(offsets);
      p.z += r.pick(offsets);
    }
    plan.positions.push_back(p);
    plan.weights.push_back(static_cast<float>(r.below(5)) / 4.0f);
  }
  for (const MeshFace& f : source.faces) {
    plan.materials.push_back(r.below(4) - 1);
    std::vector<MQCoordinate> uvs;
    std::vector<float> creases;
    for (size_t c = 0; c < f.points.size(); ++c) {
      uvs.push_back(MQCoordinate{static_cast<float>(r.below(9)) / 8.0f,
                                 static_cast<float>(r.below(9)) / 8.0f});
      creases.push_back(static_cast<float>(r.below(3)));
    }
    plan.uvs.push_back(uvs);
    plan.creases.push_back(creases);
  }
  if (r.chance(15))
    plan.vertexCount = r.below(static_cast<int>(source.vertices.size()) + 1);
  return plan;
}

} // namespace

Scene randomScene(uint32_t seed) {
  Random r(seed);
  Scene scene;
  TransferSettings& s = scene.settings;
  s.useUniqueIds = r.chance(35);
  s.mirrorMorph = r.chance(35);
  s.selectedVerticesOnly = r.chance(15);
  s.morphAddedVertices = r.chance(75);
  s.copyCoordinates = r.chance(85);
  s.copyWeights = r.chance(60);
  s.copyMaterials = r.chance(50);
  s.copyUvs = r.chance(50);
  s.copyEdges = r.chance(50);
  s.rate = r.pick(std::vector<float>{1.0f, 0.5f, 0.0f, -1.0f, 0.37f, 2.5f});
  scene.source = randomSource(r, s.mirrorMorph || r.chance(20));
  scene.destination = r.chance(10) ? randomSource(r, s.mirrorMorph) : editedCopy(r, scene.source);
  const int elements = r.below(4);
  for (int k = 0; k < elements; ++k)
    scene.elements.push_back(randomElement(r, scene.source));
  for (size_t v = 0; v < scene.destination.vertices.size(); ++v)
    if (r.chance(50))
      scene.selectedVertices.push_back(static_cast<int>(v));
  for (size_t f = 0; f < scene.destination.faces.size(); ++f)
    if (r.chance(50))
      scene.selectedFaces.push_back(static_cast<int>(f));
  return scene;
}

Mesh gridMesh(int side, float spacing) {
  Mesh mesh;
  const float half = static_cast<float>(side - 1) * spacing / 2;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const float px = static_cast<float>(x) * spacing - half;
      const float py = static_cast<float>(y) * spacing - half;
      mesh.vertices.push_back(MeshVertex{MQPoint{px, py, 0.25f * std::sin(px) * std::cos(py)},
                                         static_cast<MQDWORD>(mesh.vertices.size() + 1)});
    }
  for (int y = 0; y + 1 < side; ++y)
    for (int x = 0; x + 1 < side; ++x) {
      const int a = y * side + x;
      mesh.faces.push_back(MeshFace{{a, a + 1, a + side + 1, a + side},
                                    static_cast<MQDWORD>(mesh.faces.size() + 1)});
    }
  return mesh;
}

ElementPlan smoothElement(const Mesh& mesh, int variant) {
  ElementPlan plan;
  const float f = 0.1f + 0.01f * static_cast<float>(variant);
  for (const MeshVertex& v : mesh.vertices) {
    const MQPoint p = v.position;
    plan.positions.push_back(MQPoint{p.x + f * std::sin(p.y), p.y, p.z + f * std::cos(p.x)});
  }
  return plan;
}

} // namespace scenes
