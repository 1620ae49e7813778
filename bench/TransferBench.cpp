// Times (processor time) the correspondence and transfer stages on generated documents in the
// simulated host and prints, per case, the stage's wall time and the memory it added at its peak,
// beside the same figures for the straightforward versions (given a minute and 4 GB; a run that
// exceeds either is reported as such), and for the transfer the host calls per Destination face
// and element. Each run happens in a child process of its own, so that its peak memory is its own.
#include "Oracle.h"
#include "Scenes.h"
#include "host/HostTable.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kOracleSeconds = 60;
constexpr long kOracleMemoryMb = 4096;

// Command line: --quick (small sizes only), --fast-only (no straightforward runs),
// --only=TEXT (cases whose name contains TEXT).
bool fastOnly = false;
std::string onlyCases;

long statusKb(const char* field) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f)
    return -1;
  char line[256];
  long value = -1;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, field, length) == 0)
      value = std::atol(line + length + 1);
  std::fclose(f);
  return value;
}

// Processor time of this process: the machine is shared, so wall time would measure the
// neighbours too.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Measure {
  double seconds = 0;
  long peakMb = 0;         // added by the stage at its peak, above what the document already took
  int status = 0;          // 0 finished, 1 over time, 2 over memory, 3 failed
  double callsPerFace = 0; // host calls per Destination face and element (transfer stages)
};

// The simulated host of the benchmark's documents (each measure's child process has its copy).
sim::Host& benchHost() {
  static sim::Host simHost;
  return simHost;
}

// Destination faces times elements of the plug-in object as bound to a scene.
double faceElements() {
  const Tovalinder& plugin = pluginObject();
  const sim::Object* destination = benchHost().objectFromHandle(plugin.destination.object);
  return destination ? double(destination->faceCount()) * double(plugin.elements.size()) : 0.0;
}

// Builds the document with prepare, then times stage; both in a child process.
Measure measure(const std::function<void()>& prepare, const std::function<void()>& stage,
                bool limited) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0)
    return Measure{0, 0, 3};
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    prepare();
    // Start the peak from here: what the stage adds is what it costs.
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", f);
      std::fclose(f);
    }
    const long base = statusKb("VmRSS:");
    if (limited) {
      const rlimit limit{static_cast<rlim_t>(statusKb("VmSize:") + kOracleMemoryMb * 1024) * 1024,
                         RLIM_INFINITY};
      setrlimit(RLIMIT_AS, &limit);
      // The limit is on processor time, like the figures.
      const rlimit seconds{static_cast<rlim_t>(cpuSeconds()) + kOracleSeconds + 1, RLIM_INFINITY};
      setrlimit(RLIMIT_CPU, &seconds);
    }
    benchHost().resetCallCounts();
    const double start = cpuSeconds();
    stage();
    const double end = cpuSeconds();
    Measure m;
    m.seconds = end - start;
    double calls = 0;
    for (const auto& call : benchHost().callCounts())
      calls += double(call.second);
    if (faceElements() > 0)
      m.callsPerFace = calls / faceElements();
    m.peakMb = (statusKb("VmHWM:") - base) / 1024;
    if (write(pipeEnds[1], &m, sizeof m) != static_cast<ssize_t>(sizeof m))
      _exit(1);
    _exit(0);
  }
  close(pipeEnds[1]);
  Measure m;
  const bool got = read(pipeEnds[0], &m, sizeof m) == static_cast<ssize_t>(sizeof m);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (got)
    return m;
  Measure failed;
  failed.status = WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU   ? 1
                  : WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT ? 2
                                                                       : 3;
  return failed;
}

std::string describe(const Measure& m) {
  char text[96];
  switch (m.status) {
  case 0:
    if (m.callsPerFace > 0)
      std::snprintf(text, sizeof text, "%9.3f s %6ld MB %5.1f calls/face/element", m.seconds,
                    m.peakMb, m.callsPerFace);
    else
      std::snprintf(text, sizeof text, "%9.3f s %6ld MB", m.seconds, m.peakMb);
    return text;
  case 1:
    return "   > 60 s (stopped)  ";
  case 2:
    return "   > 4 GB (stopped)  ";
  default:
    return "   failed            ";
  }
}

// One case: the scene, then the fast stage and the straightforward one on twin documents.
void runCase(const std::string& name, const std::function<scenes::Scene()>& makeScene,
             const std::function<void(Tovalinder&)>& fastStage,
             const std::function<void(oracle::Run&)>& slowStage, bool withOracle) {
  if (name.find(onlyCases) == std::string::npos)
    return;
  withOracle = withOracle && !fastOnly;
  std::printf("%-46s", name.c_str());
  sim::Document* document = nullptr;
  scenes::Scene scene;
  auto prepareFast = [&] {
    scene = makeScene();
    transferSettings() = scene.settings;
    document = &benchHost().newDocument();
    const scenes::Instance instance = scenes::instantiate(scene, *document);
    scenes::bind(pluginObject(), *document, instance);
    scene = scenes::Scene{}; // only the document stays
  };
  const Measure fast = measure(
      prepareFast, [&] { fastStage(pluginObject()); }, false);
  std::printf("%s", describe(fast).c_str());
  if (!withOracle) {
    std::printf("   (not run)\n");
    return;
  }
  oracle::Run run;
  auto prepareSlow = [&] {
    scene = makeScene();
    transferSettings() = scene.settings;
    document = &benchHost().newDocument();
    const scenes::Instance instance = scenes::instantiate(scene, *document);
    scenes::bind(run, *document, instance);
    scene = scenes::Scene{};
  };
  const Measure slow = measure(
      prepareSlow, [&] { slowStage(run); }, true);
  std::printf(" | %s", describe(slow).c_str());
  if (fast.status == 0 && slow.status == 0 && fast.seconds > 0)
    std::printf(" | x%.1f", slow.seconds / fast.seconds);
  std::printf("\n");
}

// Helpers for the scenes.

scenes::Mesh grid(int vertices) {
  return scenes::gridMesh(static_cast<int>(std::lround(std::sqrt(double(vertices)))), 0.01f);
}

// The same vertices with polygons of k consecutive points instead of quads (documents of 50
// elements of a million vertices would not fit in memory with quads).
scenes::Mesh polygons(scenes::Mesh mesh, int k) {
  mesh.faces.clear();
  const int n = static_cast<int>(mesh.vertices.size());
  for (int start = 0; start < n; start += k) {
    scenes::MeshFace face;
    for (int v = start; v < std::min(n, start + k); ++v)
      face.points.push_back(v);
    face.uniqueId = static_cast<MQDWORD>(mesh.faces.size() + 1);
    mesh.faces.push_back(face);
  }
  return mesh;
}

TransferSettings everything(bool uniqueIds) {
  TransferSettings s;
  s.useUniqueIds = uniqueIds;
  s.morphAddedVertices = true;
  s.copyCoordinates = s.copyWeights = s.copyMaterials = s.copyUvs = s.copyEdges = true;
  s.rate = 1.0f;
  return s;
}

scenes::Scene uniqueIdScene(int vertices, int elements, int polygonSize) {
  scenes::Scene scene;
  scene.source = grid(vertices);
  if (polygonSize)
    scene.source = polygons(scene.source, polygonSize);
  scene.destination = scene.source;
  for (int k = 0; k < elements; ++k)
    scene.elements.push_back(scenes::smoothElement(scene.source, k));
  scene.settings = everything(true);
  return scene;
}

// The Destination: the Source with a share of its vertices inserted, deleted or moved, in
// equal parts, at random places.
scenes::Scene editedScene(int vertices, double share) {
  scenes::Scene scene;
  scene.source = polygons(grid(vertices), 32);
  std::mt19937 random(7);
  std::vector<scenes::MeshVertex> edited;
  const int n = static_cast<int>(scene.source.vertices.size());
  const uint32_t threshold = static_cast<uint32_t>(share * 4294967295.0);
  for (int i = 0; i < n; ++i) {
    scenes::MeshVertex v = scene.source.vertices[static_cast<size_t>(i)];
    if (random() < threshold) {
      switch (random() % 3) {
      case 0: // deleted
        continue;
      case 1: // moved
        v.position.z += 0.5f;
        break;
      default: // a new vertex inserted before it
        edited.push_back(scenes::MeshVertex{MQPoint{v.position.x, v.position.y, 3.0f}, 0});
        break;
      }
    }
    edited.push_back(v);
  }
  scene.destination.vertices = edited;
  scene.destination = polygons(scene.destination, 32);
  scene.settings = everything(false);
  return scene;
}

scenes::Scene mirrorScene(int vertices) {
  scenes::Scene scene;
  scene.source = polygons(grid(vertices), 32); // centred on x = 0: partners on both sides
  scene.destination = scene.source;
  scene.settings = everything(false);
  scene.settings.mirrorMorph = true;
  return scene;
}

// The Source grid with every quad split in four in the Destination: edge midpoints and quad
// centres are added and form one region whose boundary is every Source vertex.
scenes::Scene subdividedScene(int side, int elements) {
  scenes::Scene scene;
  scene.source = scenes::gridMesh(side, 0.01f);
  const int fine = 2 * side - 1;
  const float half = static_cast<float>(side - 1) * 0.01f / 2;
  MQDWORD nextId = static_cast<MQDWORD>(side * side + 1);
  for (int y = 0; y < fine; ++y)
    for (int x = 0; x < fine; ++x) {
      const float px = static_cast<float>(x) * 0.005f - half;
      const float py = static_cast<float>(y) * 0.005f - half;
      const bool original = x % 2 == 0 && y % 2 == 0;
      scene.destination.vertices.push_back(scenes::MeshVertex{
          MQPoint{px, py, 0.25f * std::sin(px) * std::cos(py)},
          original ? static_cast<MQDWORD>((y / 2) * side + x / 2 + 1) : nextId++});
    }
  for (int y = 0; y + 1 < fine; ++y)
    for (int x = 0; x + 1 < fine; ++x) {
      const int a = y * fine + x;
      scene.destination.faces.push_back(scenes::MeshFace{{a, a + 1, a + fine + 1, a + fine}, 0});
    }
  for (int k = 0; k < elements; ++k)
    scene.elements.push_back(scenes::smoothElement(scene.source, k));
  scene.settings = everything(true);
  return scene;
}

void transferOnly(Tovalinder& p) {
  p.transferMorphs();
}
void transferOnlySlow(oracle::Run& r) {
  r.transferMorphs();
}

} // namespace

int main(int argc, char** argv) {
  bool quick = false;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--quick")
      quick = true;
    else if (arg == "--fast-only")
      fastOnly = true;
    else if (arg.rfind("--only=", 0) == 0)
      onlyCases = arg.substr(7);
  }
  if (!host::bindHostTable(sim::moduleFileName())) {
    std::fprintf(stderr, "cannot bind the simulated host\n");
    return 1;
  }
  std::printf("%-46s%s | %s | %s\n", "case", "   fast: time, memory",
              "straightforward: time, memory", "ratio");

  const std::vector<int> sizes =
      quick ? std::vector<int>{10000} : std::vector<int>{10000, 100000, 1000000};
  for (int n : sizes)
    for (int e : {1, 50}) {
      const int polygon = n >= 1000000 && e > 1 ? 64 : 0;
      runCase(
          "unique-ID transfer " + std::to_string(n) + " v, " + std::to_string(e) + " el" +
              (polygon ? " (64-gons)" : ""),
          [=] { return uniqueIdScene(n, e, polygon); }, transferOnly, transferOnlySlow,
          !quick || n <= 10000);
    }

  struct DiffCase {
    int vertices;
    double share;
  };
  const std::vector<DiffCase> diffs =
      quick ? std::vector<DiffCase>{{10000, 0.01}}
            : std::vector<DiffCase>{
                  {10000, 0.01}, {10000, 0.10}, {100000, 0.01}, {100000, 0.10}, {1000000, 0.01}};
  for (const DiffCase& d : diffs)
    runCase(
        "position diff " + std::to_string(d.vertices) + " v, " +
            std::to_string(static_cast<int>(d.share * 100)) + "% edited",
        [=] { return editedScene(d.vertices, d.share); }, [](Tovalinder& p) { p.buildVertexMap(); },
        [](oracle::Run& r) { r.buildVertexMap(); }, true);

  for (int n : quick ? std::vector<int>{10000} : std::vector<int>{10000, 100000, 1000000})
    runCase(
        "mirror map " + std::to_string(n) + " v", [=] { return mirrorScene(n); },
        [](Tovalinder& p) { p.buildMirrorMap(); }, [](oracle::Run& r) { r.buildMirrorMap(); },
        true);

  // One vertex far out must not crowd the others together.
  for (int n : quick ? std::vector<int>{10000} : std::vector<int>{10000, 100000})
    runCase(
        "mirror map " + std::to_string(n) + " v, one at x = 3e38",
        [=] {
          scenes::Scene scene = mirrorScene(n);
          scene.destination.vertices[0].position.x = 3e38f;
          return scene;
        },
        [](Tovalinder& p) { p.buildMirrorMap(); }, [](oracle::Run& r) { r.buildMirrorMap(); },
        true);

  for (int side : quick ? std::vector<int>{20} : std::vector<int>{20, 40, 80})
    runCase(
        "subdivided " + std::to_string(side * side) + " -> " +
            std::to_string((2 * side - 1) * (2 * side - 1)) + " v, 10 el",
        [=] { return subdividedScene(side, 10); }, transferOnly, transferOnlySlow, true);
  return 0;
}
