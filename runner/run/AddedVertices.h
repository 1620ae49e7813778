// How the runner treats the vertices an edit added, after the plug-in's run: as the plug-in made
// them, or with offsets taken from the Source surface; and what that changed.
#pragma once

#include <string>
#include <vector>

namespace runner {

enum class AddedVerticesMode {
  Plugin,  // the document exactly as the plug-in wrote it
  Surface, // added vertices take the Source morph at their closest point of the Source surface
};

// The modes' names on the command line and in the JSON report.
inline const char* nameOf(AddedVerticesMode mode) {
  return mode == AddedVerticesMode::Surface ? "surface" : "plugin";
}
inline bool modeNamed(const std::string& name, AddedVerticesMode& mode) {
  for (AddedVerticesMode m : {AddedVerticesMode::Plugin, AddedVerticesMode::Surface})
    if (name == nameOf(m)) {
      mode = m;
      return true;
    }
  return false;
}

struct AddedVerticesSummary {
  AddedVerticesMode mode = AddedVerticesMode::Plugin;
  int fromSurface = 0, harmonic = 0, kept = 0; // added vertices by where their offset came from
  std::vector<char> changed; // by Destination vertex: this mode rewrote it in the new elements
  double seconds = 0;
};

// Share of the Destination's vertices interpolated above which the report suggests the surface
// mode: the bundled sample (1.4 %) stays below it, a subdivided region goes well above.
constexpr double kSurfaceModeSuggestedAbove = 0.05;

} // namespace runner
