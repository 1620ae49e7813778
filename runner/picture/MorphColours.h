// The colours a modeler reads a transferred morph by, shared by the still pictures and the
// interactive viewer so that both say the same thing: the surface coloured by how far each vertex
// moved from its base object (grey: not at all, through yellow, to red: the most), the vertices
// the Destination added marked in cyan, and magenta where the surface mode rewrote them.
#pragma once

#include <algorithm>

namespace runner {

struct Colour {
  float r, g, b;
};

namespace colours {

// The offset-length ramp: still at 0, halfway at 0.5, most at 1.
constexpr Colour kStill{0.78f, 0.78f, 0.80f};
constexpr Colour kHalfway{0.98f, 0.85f, 0.25f};
constexpr Colour kMost{0.90f, 0.18f, 0.12f};

constexpr Colour kAddedVertex{0.1f, 0.9f, 0.95f};
constexpr Colour kRewrittenVertex{0.95f, 0.2f, 0.9f};
constexpr Colour kMarkerEdge{0.05f, 0.05f, 0.1f};

// The background behind the meshes, in 8-bit channels.
constexpr unsigned char kBackground[3] = {38, 40, 48};

} // namespace colours

// The ramp's colour for t, the offset length over the largest one (clamped to 0..1).
inline Colour offsetColour(float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  auto mix = [](Colour a, Colour b, float s) {
    return Colour{a.r + (b.r - a.r) * s, a.g + (b.g - a.g) * s, a.b + (b.b - a.b) * s};
  };
  return t < 0.5f ? mix(colours::kStill, colours::kHalfway, t * 2)
                  : mix(colours::kHalfway, colours::kMost, (t - 0.5f) * 2);
}

} // namespace runner
