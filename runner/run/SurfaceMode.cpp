#include "SurfaceMode.h"

#include "HostObjects.h"
#include "SurfaceOffsets.h"
#include "transfer/MovedPosition.h"

#include <algorithm>
#include <chrono>

namespace runner {

namespace {

sim::Object* writable(sim::Document& document, const sim::Object* object) {
  for (sim::Object* candidate : document.objects())
    if (candidate == object)
      return candidate;
  return nullptr;
}

// The element's offset at each Source vertex it has, as the plug-in computes it.
std::vector<quality::Vec3> elementOffsets(const std::vector<quality::Vec3>& source,
                                          const sim::Object& element) {
  const std::vector<quality::Vec3> moved = pointsOf(element);
  std::vector<quality::Vec3> offsets(std::min(source.size(), moved.size()));
  for (size_t s = 0; s < offsets.size(); ++s)
    offsets[s] =
        quality::Vec3{moved[s].x - source[s].x, moved[s].y - source[s].y, moved[s].z - source[s].z};
  return offsets;
}

} // namespace

void applySurfaceMode(sim::Document& document, TransferOutcome& outcome) {
  const auto started = std::chrono::steady_clock::now();
  AddedVerticesSummary& summary = outcome.addedVertices;
  summary.mode = AddedVerticesMode::Surface;
  const Correspondence& pairs = outcome.correspondence;
  const int n = outcome.destination->vertexCount();
  std::vector<char> interpolated(static_cast<size_t>(n), 0);
  if (outcome.settings.copyCoordinates)
    for (size_t v = 0; v < interpolated.size() && v < pairs.fate.size(); ++v)
      interpolated[v] = pairs.fate[v] == VertexFate::Interpolated;
  summary.changed.assign(static_cast<size_t>(n), 0);
  if (std::find(interpolated.begin(), interpolated.end(), 1) == interpolated.end()) {
    summary.seconds = 0;
    return;
  }

  const quality::PolygonMesh source = polygonMeshOf(*outcome.source);
  const quality::PolygonMesh destination = polygonMeshOf(*outcome.destination);
  const quality::SurfaceOffsets plan(quality::AddedVertexQuestion{
      source, destination, pairs.sourceVertex, interpolated, outcome.settings.mirrorMorph});
  summary.fromSurface = static_cast<int>(plan.count(quality::OffsetOrigin::Surface));
  summary.harmonic = static_cast<int>(plan.count(quality::OffsetOrigin::Harmonic));
  summary.kept = static_cast<int>(plan.count(quality::OffsetOrigin::Kept));
  for (size_t i = 0; i < plan.vertices().size(); ++i)
    summary.changed[static_cast<size_t>(plan.vertices()[i])] =
        plan.origin(i) != quality::OffsetOrigin::Kept;

  const float rate = outcome.rate;
  std::vector<quality::Vec3> offsets;
  for (ElementOutcome& element : outcome.elements) {
    sim::Object* target = writable(document, element.newElement);
    if (!element.oldElement || !target)
      continue;
    plan.offsetsFor(elementOffsets(source.positions, *element.oldElement), offsets);
    const int count = std::min(n, target->vertexCount());
    for (int v = 0; v < count; ++v) {
      if (!summary.changed[static_cast<size_t>(v)])
        continue;
      // The plug-in's own move: the Destination position plus the scaled, mirrored offset.
      const quality::Vec3& b = destination.positions[static_cast<size_t>(v)];
      const quality::Vec3& o = offsets[static_cast<size_t>(v)];
      const MQPoint moved = transfer::movedPosition(MQPoint{b.x, b.y, b.z}, MQPoint{o.x, o.y, o.z},
                                                    outcome.settings.mirrorMorph, rate);
      setPosition(*target, v, quality::Vec3{moved.x, moved.y, moved.z});
    }
    element.motion = measureMotion(*target, *outcome.destination);
  }
  summary.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

} // namespace runner
