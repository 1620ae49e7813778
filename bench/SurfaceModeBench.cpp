// Times (processor time) the runner's surface mode for added vertices beside the plug-in's own
// transfer stage on the same document: a grid Source of n vertices whose Destination has a new
// edge loop between every two rows (as many added vertices again, each loop a region of its
// own), with e elements; once with the loops on the Source surface (closest points), once with
// them lifted off it (harmonic solve). Both stages run once, in this process, one after the other.
// Then the mode's offsets alone on plain arrays, for all elements, with the fit of the morph and
// with the closest triangle's blend only: what the fit costs. --quick: the small size only.
#include "HostObjects.h"
#include "Scenes.h"
#include "SurfaceMode.h"
#include "SurfaceOffsets.h"
#include "host/HostTable.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The Source grid with a loop of new vertices half-way between every two rows, lifted by lift.
scenes::Scene loopsEverywhere(int side, int elements, float lift) {
  scenes::Scene scene;
  scene.source = scenes::gridMesh(side, 0.01f);
  scene.destination.vertices = scene.source.vertices;
  MQDWORD nextId = static_cast<MQDWORD>(side * side + 1);
  auto loopVertex = [&](int row, int x) { return side * side + row * side + x; };
  for (int row = 0; row + 1 < side; ++row)
    for (int x = 0; x < side; ++x) {
      const MQPoint& a = scene.source.vertices[static_cast<size_t>(row * side + x)].position;
      const MQPoint& b = scene.source.vertices[static_cast<size_t>((row + 1) * side + x)].position;
      scene.destination.vertices.push_back(scenes::MeshVertex{
          MQPoint{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2 + lift}, nextId++});
    }
  for (int row = 0; row + 1 < side; ++row)
    for (int x = 0; x + 1 < side; ++x) {
      const int a = row * side + x, m = loopVertex(row, x);
      scene.destination.faces.push_back(scenes::MeshFace{{a, a + 1, m + 1, m}, 0});
      scene.destination.faces.push_back(scenes::MeshFace{{m, m + 1, a + side + 1, a + side}, 0});
    }
  for (int k = 0; k < elements; ++k)
    scene.elements.push_back(scenes::smoothElement(scene.source, k));
  TransferSettings& s = scene.settings;
  s.useUniqueIds = s.morphAddedVertices = true;
  s.copyCoordinates = s.copyWeights = s.copyMaterials = s.copyUvs = s.copyEdges = true;
  s.rate = 1.0f;
  return scene;
}

// What the runner knows after the plug-in's run, as the surface mode needs it.
runner::TransferOutcome outcomeOf(const scenes::Instance& instance, const TransferSettings& s) {
  runner::TransferOutcome outcome;
  outcome.source = instance.source;
  outcome.destination = instance.destination;
  outcome.settings.useUniqueIds = s.useUniqueIds;
  outcome.settings.morphAddedVertices = s.morphAddedVertices;
  outcome.settings.copyCoordinates = s.copyCoordinates;
  outcome.rate = s.rate;
  outcome.correspondence =
      runner::analyseCorrespondence(*instance.source, *instance.destination, outcome.settings);
  for (size_t k = 0; k < instance.elements.size(); ++k) {
    runner::ElementOutcome element;
    element.oldElement = instance.elements[k];
    element.newElement = instance.newElements[k];
    outcome.elements.push_back(element);
  }
  return outcome;
}

// The mode's offsets for every element on plain arrays (plan, then each element), with or without
// the fit; the seconds, and how many vertices have a fit.
double offsetsAlone(const runner::TransferOutcome& outcome, bool fit, size_t& fitted) {
  const double start = cpuSeconds();
  const quality::PolygonMesh source = runner::polygonMeshOf(*outcome.source);
  const quality::PolygonMesh destination = runner::polygonMeshOf(*outcome.destination);
  std::vector<char> added(destination.positions.size(), 0);
  for (size_t v = 0; v < added.size(); ++v)
    added[v] = outcome.correspondence.fate[v] == runner::VertexFate::Interpolated;
  quality::AddedVertexQuestion question{source, destination, outcome.correspondence.sourceVertex,
                                        added};
  question.fit = fit;
  const quality::SurfaceOffsets plan(question);
  std::vector<quality::Vec3> sourceOffsets(source.positions.size()), offsets;
  for (const runner::ElementOutcome& element : outcome.elements) {
    const std::vector<quality::Vec3> moved = runner::pointsOf(*element.oldElement);
    for (size_t s = 0; s < sourceOffsets.size() && s < moved.size(); ++s)
      sourceOffsets[s] =
          quality::Vec3{moved[s].x - source.positions[s].x, moved[s].y - source.positions[s].y,
                        moved[s].z - source.positions[s].z};
    plan.offsetsFor(sourceOffsets, offsets);
  }
  fitted = 0;
  for (size_t i = 0; i < plan.vertices().size(); ++i)
    fitted += plan.fitted(i);
  return cpuSeconds() - start;
}

void runCase(int side, int elements, float lift) {
  const scenes::Scene scene = loopsEverywhere(side, elements, lift);
  transferSettings() = scene.settings;
  sim::Host simHost;
  sim::Document& document = simHost.newDocument();
  const scenes::Instance instance = scenes::instantiate(scene, document);
  scenes::bind(pluginObject(), document, instance);
  double start = cpuSeconds();
  pluginObject().transferMorphs();
  const double plugin = cpuSeconds() - start;
  runner::TransferOutcome outcome = outcomeOf(instance, scene.settings);
  start = cpuSeconds();
  runner::applySurfaceMode(document, outcome);
  const double surface = cpuSeconds() - start;
  const runner::AddedVerticesSummary& a = outcome.addedVertices;
  std::printf("%7d v + %7zu added, %2d el | plug-in transfer %8.3f s | surface mode %8.3f s "
              "(%d from the surface, %d harmonic, %d kept) | x%.2f\n",
              side * side, scene.destination.vertices.size() - scene.source.vertices.size(),
              elements, plugin, surface, a.fromSurface, a.harmonic, a.kept, surface / plugin);
  size_t fitted = 0, none = 0;
  const double blend = offsetsAlone(outcome, false, none);
  const double fit = offsetsAlone(outcome, true, fitted);
  std::printf("%31s offsets alone: blend only %8.3f s | with the fit %8.3f s (%zu fitted)\n", "",
              blend, fit, fitted);
}

} // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  if (!host::bindHostTable(sim::moduleFileName())) {
    std::fprintf(stderr, "cannot bind the simulated host\n");
    return 1;
  }
  for (float lift : {0.0f, 0.03f}) {
    runCase(100, 10, lift);
    if (!quick)
      runCase(317, 50, lift);
  }
  return 0;
}
