// An interactive page of a run's result: the Source with its morphs on the left, the new elements
// on the Destination on the right, turned together, with a slider per morph; added vertices and
// the faces whose attributes were not copied marked, the surface coloured by offset length in the
// pictures' colours (MorphColours.h). One self-contained HTML file: three.js and its orbit
// controls (from Debian's libjs-three, built in), the page's script, and the meshes as JSON with
// base64 arrays, each morph as the offsets of the vertices it moves only.
//
// Relies on the run's outcome (TransferRun.h) and the runner's base64 (Base64.h); never touches
// a file, so the caller writes the page where and how the other outputs are written.
#pragma once

#include "TransferRun.h"

#include <cstdint>
#include <string>
#include <vector>

namespace runner {

// One mesh: positions x, y, z by vertex; faces as their point counts and their points in turn.
struct ViewerMesh {
  std::string name;
  std::vector<float> positions;
  std::vector<std::uint32_t> faceSizes;
  std::vector<std::uint32_t> facePoints;
};

// The vertices one side of a morph moves and their offsets (x, y, z each) from the base mesh.
struct ViewerOffsets {
  std::vector<std::uint32_t> vertices;
  std::vector<float> offsets;
};

struct ViewerMorph {
  std::string name;       // the new element's name (the page's "element=" key)
  std::string sourceName; // the Source element's name before the run
  ViewerOffsets source, result;
  int unpairedFaces = -1; // index into ViewerScene::unpairedFaceSets; -1: not known
};

struct ViewerScene {
  std::string title;
  ViewerMesh source, result; // the Source object and the Destination (the result's base)
  std::vector<ViewerMorph> morphs;
  std::vector<std::uint32_t> addedVertices;     // result vertices without a Source vertex
  std::vector<std::uint32_t> rewrittenVertices; // those the surface mode rewrote
  std::vector<std::vector<std::uint32_t>> unpairedFaceSets; // result faces, shared by morphs
  bool facePassRan = false;
  float rate = 1.0f;
};

// The scene of a run: Source, Destination and every new element made from a Source element,
// read from the document after the run (any input format).
ViewerScene viewerSceneOf(const TransferOutcome& outcome, const std::string& title);

// The data block: one JSON object, safe to stand inside a <script> element (no "<" in it).
std::string viewerDataJson(const ViewerScene& scene);

// The whole page. Throws std::runtime_error when a built-in script could end its element early.
std::string viewerPage(const ViewerScene& scene);

} // namespace runner
