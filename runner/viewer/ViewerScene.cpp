#include "MorphViewer.h"

#include "transfer/SameBits.h"

#include <algorithm>
#include <cmath>

namespace runner {

namespace {

// A coordinate the page can draw: a non-finite one would leave the meshes without bounds.
float drawable(float value) {
  return std::isfinite(value) ? value : 0.0f;
}

void appendPoint(std::vector<float>& out, const MQPoint& p) {
  out.push_back(drawable(p.x));
  out.push_back(drawable(p.y));
  out.push_back(drawable(p.z));
}

// A face with a point out of range keeps its slot (face indices stay the object's) but no points.
ViewerMesh meshOf(const sim::Object& object) {
  ViewerMesh mesh;
  mesh.name = object.name();
  mesh.positions.reserve(object.positions.size() * 3);
  for (const MQPoint& p : object.positions)
    appendPoint(mesh.positions, p);
  const int vertices = object.vertexCount();
  mesh.faceSizes.reserve(static_cast<size_t>(object.faceCount()));
  mesh.facePoints.reserve(object.points.size());
  for (int f = 0; f < object.faceCount(); ++f) {
    const int* points = object.facePoints(f);
    const int count = object.facePointCount(f);
    const bool inRange =
        std::all_of(points, points + count, [vertices](int v) { return v >= 0 && v < vertices; });
    mesh.faceSizes.push_back(inRange ? static_cast<std::uint32_t>(count) : 0);
    if (inRange)
      mesh.facePoints.insert(mesh.facePoints.end(), points, points + count);
  }
  return mesh;
}

// The vertices `moved` holds elsewhere than `base` (bit for bit), with their offsets.
ViewerOffsets offsetsOf(const sim::Object& moved, const sim::Object& base) {
  ViewerOffsets result;
  const size_t count = std::min(moved.positions.size(), base.positions.size());
  for (size_t v = 0; v < count; ++v) {
    const MQPoint& p = moved.positions[v];
    const MQPoint& q = base.positions[v];
    if (transfer::sameBits(&p, &q))
      continue;
    result.vertices.push_back(static_cast<std::uint32_t>(v));
    appendPoint(result.offsets, MQPoint{p.x - q.x, p.y - q.y, p.z - q.z});
  }
  return result;
}

// Elements made together usually leave the same faces unpaired: each set is kept once.
int faceSetIndex(ViewerScene& scene, const std::vector<int>& faces) {
  const std::vector<std::uint32_t> set(faces.begin(), faces.end());
  const auto found = std::find(scene.unpairedFaceSets.begin(), scene.unpairedFaceSets.end(), set);
  if (found != scene.unpairedFaceSets.end())
    return static_cast<int>(found - scene.unpairedFaceSets.begin());
  scene.unpairedFaceSets.push_back(set);
  return static_cast<int>(scene.unpairedFaceSets.size() - 1);
}

void markVertices(const TransferOutcome& outcome, ViewerScene& scene) {
  const std::vector<VertexFate>& fates = outcome.correspondence.fate;
  const std::vector<char>& changed = outcome.addedVertices.changed;
  for (size_t v = 0; v < fates.size(); ++v) {
    if (v < changed.size() && changed[v])
      scene.rewrittenVertices.push_back(static_cast<std::uint32_t>(v));
    else if (fates[v] == VertexFate::Interpolated || fates[v] == VertexFate::AddedLeftAlone)
      scene.addedVertices.push_back(static_cast<std::uint32_t>(v));
  }
}

} // namespace

ViewerScene viewerSceneOf(const TransferOutcome& outcome, const std::string& title) {
  ViewerScene scene;
  scene.title = title;
  scene.rate = outcome.rate;
  scene.facePassRan = transfer::facePassRuns(outcome.settings);
  if (!outcome.source || !outcome.destination)
    return scene;
  scene.source = meshOf(*outcome.source);
  scene.source.name = outcome.sourceName;
  scene.result = meshOf(*outcome.destination);
  scene.result.name = outcome.destinationName;
  markVertices(outcome, scene);
  FaceAnalysis faces(*outcome.destination, outcome.correspondence, outcome.settings);
  for (const ElementOutcome& e : outcome.elements) {
    if (!e.oldElement || !e.newElement)
      continue;
    ViewerMorph morph;
    morph.name = e.newName;
    morph.sourceName = e.picked;
    morph.source = offsetsOf(*e.oldElement, *outcome.source);
    morph.result = offsetsOf(*e.newElement, *outcome.destination);
    if (scene.facePassRan)
      morph.unpairedFaces = faceSetIndex(scene, faces.unpaired(*e.oldElement, *e.newElement));
    scene.morphs.push_back(std::move(morph));
  }
  return scene;
}

} // namespace runner
