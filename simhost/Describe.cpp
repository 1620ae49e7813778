// The canonical text of a document (SimHost.h: describe).
#include "SimHost.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {
std::string floatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  char text[48];
  std::snprintf(text, sizeof text, "%.9g#%08x", static_cast<double>(value), bits);
  return text;
}
} // namespace

std::string describe(const Document& document) {
  std::string out;
  for (int s = 0; s < document.slotCount(); ++s) {
    const Object* object = document.objectAt(s);
    out += "slot " + std::to_string(s);
    if (!object) {
      out += " empty\n";
      continue;
    }
    out += " name=" + object->name() + " depth=" + std::to_string(object->depth) +
           " locked=" + std::to_string(object->locked) +
           " selected=" + std::to_string(object->selected) +
           " visible=" + std::to_string(object->visible) + "\n";
    for (size_t v = 0; v < object->positions.size(); ++v) {
      const MQPoint& p = object->positions[v];
      out += " v" + std::to_string(v) + " " + floatBits(p.x) + " " + floatBits(p.y) + " " +
             floatBits(p.z) + " id=" + std::to_string(object->vertexIds[v]) +
             " w=" + floatBits(object->weights[v]) + "\n";
    }
    for (int f = 0; f < object->faceCount(); ++f) {
      out += " f" + std::to_string(f) + " id=" + std::to_string(object->faceIds[size_t(f)]) +
             " mat=" + std::to_string(object->materials[size_t(f)]) + " pts";
      const int n = object->facePointCount(f);
      for (int c = 0; c < n; ++c)
        out += " " + std::to_string(object->facePoints(f)[c]);
      out += " uv";
      for (int c = 0; c < n; ++c)
        out += " " + floatBits(object->faceUvs(f)[c].u) + "," + floatBits(object->faceUvs(f)[c].v);
      out += " crease";
      for (int c = 0; c < n; ++c)
        out += " " + floatBits(object->faceCreases(f)[c]);
      out += "\n";
    }
    out += " selv";
    for (int v : object->selectedVertices)
      out += " " + std::to_string(v);
    out += " self";
    for (int f : object->selectedFaces)
      out += " " + std::to_string(f);
    out += "\n";
  }
  return out;
}

} // namespace sim
