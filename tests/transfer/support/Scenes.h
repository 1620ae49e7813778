// Transfer scenes for tests and the benchmark: a plain description of a Source, its edited
// Destination, the Source's elements and the Destination's selection, made into simulated host
// documents (twice, identically, when two versions of a stage are to be compared) and bound to
// the plug-in object the way the command flow leaves it before the correspondence stage.
#pragma once

#include "SimHost.h"
#include "entry/Tovalinder.h"
#include "transfer/TransferSettings.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace scenes {

struct MeshVertex {
  MQPoint position{0, 0, 0};
  MQDWORD uniqueId = 0; // 0: a fresh ID
};

struct MeshFace {
  std::vector<int> points;
  MQDWORD uniqueId = 0; // 0: a fresh ID
};

struct Mesh {
  std::vector<MeshVertex> vertices;
  std::vector<MeshFace> faces;
};

// A Source element: a copy of the Source with moved vertices and its own face attributes,
// possibly cut down to its first vertexCount vertices (faces using the rest are dropped).
struct ElementPlan {
  std::vector<MQPoint> positions; // one per Source vertex
  std::vector<float> weights;
  std::vector<int> materials; // one per Source face
  std::vector<std::vector<MQCoordinate>> uvs;
  std::vector<std::vector<float>> creases;
  int vertexCount = -1; // -1: all
};

struct Scene {
  Mesh source;
  Mesh destination;
  std::vector<ElementPlan> elements;
  std::vector<int> selectedVertices; // of the Destination
  std::vector<int> selectedFaces;
  TransferSettings settings;
};

// The objects of one scene in one document.
struct Instance {
  sim::Object* source = nullptr;
  sim::Object* destination = nullptr;
  std::vector<sim::Object*> elements;
  std::vector<sim::Object*> newElements;
};

// Builds the scene into the document (Source, Destination, elements, then one clone of the
// Destination per element as its new element).
Instance instantiate(const Scene& scene, sim::Document& document);

// Starts a run of a plug-in object (or of anything with its fields and resetRun()): empties
// its per-run state, then sets document, source, destination, elements and newElements.
template <typename Run> void bind(Run& run, sim::Document& document, const Instance& instance) {
  run.resetRun();
  run.document = document.handle();
  run.source = cmq::CMQObject(instance.source->handle(), document.handle());
  run.destination = cmq::CMQObject(instance.destination->handle(), document.handle());
  run.elements.clear();
  run.newElements.clear();
  for (sim::Object* e : instance.elements)
    run.elements.emplace_back(e->handle(), document.handle());
  for (sim::Object* e : instance.newElements)
    run.newElements.emplace_back(e->handle(), document.handle());
}

// A small random scene full of the cases that break correspondence code: coincident vertices,
// distances exactly at the tolerances, mirror planes, NaN, far-out and infinite coordinates,
// unused vertices, reorders, inserts,
// deletes, moves, re-shaped faces, short elements, partial selections, random settings.
Scene randomScene(uint32_t seed);

// Large regular scenes for the benchmark: a grid of side x side vertices made of quads.
Mesh gridMesh(int side, float spacing);
// An element of a mesh whose vertices all move by a smooth offset.
ElementPlan smoothElement(const Mesh& mesh, int variant);

} // namespace scenes
