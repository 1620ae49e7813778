#include "MorphScene.h"

namespace hardening {
namespace {

// A 3 x 3 grid of vertices in the XY plane, four quads, UVs from the positions.
sim::Object* addGrid(sim::Document& document, const char* name, float lift) {
  sim::Object* object = document.addObject(name);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      object->addVertex(float(x) - 1.0f, float(y), x == 1 && y == 2 ? lift : 0.0f);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      const int a = y * 3 + x;
      const int face = object->addFace({a, a + 1, a + 4, a + 3});
      object->editMaterials()[size_t(face)] = x + y;
      for (int c = 0; c < 4; ++c) {
        const MQPoint p = object->positions[size_t(object->facePoints(face)[c])];
        object->editFaceUvs(face)[c] = MQCoordinate{p.x * 0.5f + 0.5f, p.y * 0.5f};
      }
      object->editFaceCreases(face)[0] = 0.5f;
    }
  return object;
}

} // namespace

void buildMorphScene(sim::Document& document) {
  sim::Object* body = addGrid(document, "Body", 0.0f);
  body->selected = 1;
  addGrid(document, "elem:Smile-Body", 0.5f);
  sim::Object* edited = addGrid(document, "Body2", 0.0f);
  edited->editPositions()[0].x = -1.5f;
  // Split the last quad with a vertex in its middle: the added vertex gets a propagated offset.
  const int middle = edited->addVertex(0.5f, 1.5f, 0.0f);
  edited->truncateFaces(edited->faceCount() - 1);
  edited->addFace({4, 5, middle});
  edited->addFace({5, 8, middle});
  edited->addFace({8, 7, middle});
  edited->addFace({7, 4, middle});
  edited->selected = 1;
  sim::Object* blink = addGrid(document, "elem:Blink-Body", 0.25f);
  blink->locked = 1;
}

} // namespace hardening
