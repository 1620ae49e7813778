// The glTF reader on files made of the fuzz bytes. Invariants: a file is either read or refused
// with a FileError naming the file, never with anything else; a mesh that was read is
// consistent (every triangle corner, material and target within the mesh's vertices) and welds
// into host vertices that cover every glTF vertex exactly once; a morph target written into the
// file comes back from the written bytes bit for bit, as the file's other meshes do.
#include "FuzzInput.h"
#include "GltfAsset.h"
#include "GltfMesh.h"
#include "ReaderStep.h"
#include "TargetWriter.h"
#include "VertexWeld.h"

#include <cstring>
#include <string>

namespace {

const char kPath[] = "tovalinder-fuzz-nonexistent/input.gltf";

// Runs a reading step, answering false when the file is refused.
template <typename Step> bool reads(Step step) {
  return fuzzing::readsOrRefuses(step, [](const char* what) {
    fuzzing::check(std::strstr(what, kPath) == what, "a refusal names the file");
  });
}

void checkMesh(const runner::MeshGeometry& mesh) {
  const size_t n = mesh.vertexCount();
  fuzzing::check(mesh.normals.size() == n * 3 && mesh.uvs.size() == n * 2, "attributes per vertex");
  fuzzing::check(mesh.triangles.size() == mesh.triangleMaterials.size() * 3,
                 "one material a triangle");
  for (std::uint32_t v : mesh.triangles)
    fuzzing::check(v < n, "triangle corners are vertices of the mesh");
  for (const runner::MorphTarget& t : mesh.targets)
    fuzzing::check(t.positions.size() == n * 3 && (t.normals.empty() || t.normals.size() == n * 3),
                   "target deltas per vertex");
  const runner::VertexWeld weld = runner::weldVertices(mesh);
  fuzzing::check(weld.hostOf.size() == n, "every glTF vertex has a host vertex");
  for (size_t h = 0; h < weld.firstOf.size(); ++h)
    fuzzing::check(weld.hostOf[weld.firstOf[h]] == static_cast<int>(h),
                   "a host vertex's first copy");
  for (size_t v = 0; v < n; ++v)
    fuzzing::check(weld.hostOf[v] >= 0 && weld.hostOf[v] < weld.hostCount() &&
                       weld.firstOf[static_cast<size_t>(weld.hostOf[v])] <= v,
                   "host vertices in order of their first copies");
}

bool sameFloats(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * 4) == 0;
}

// Writes a target moving every third vertex into the mesh and reads the written bytes back.
void checkRoundTrip(runner::GltfAsset& asset, const runner::MeshGeometry& mesh) {
  runner::NewTarget target;
  target.name = "fuzz-written";
  target.positions.assign(mesh.positions.size(), 0.0f);
  for (size_t i = 0; i < mesh.positions.size(); i += 9)
    std::memcpy(&target.positions[i], &mesh.positions[i], 12);
  std::vector<runner::MeshGeometry> before;
  std::vector<runner::MeshSummary> summaries;
  fuzzing::check(reads([&] { summaries = runner::listMeshes(asset); }), "meshes list again");
  for (const runner::MeshSummary& s : summaries)
    before.push_back(runner::readMesh(asset, s));
  fuzzing::check(reads([&] { runner::writeTargets(asset, mesh, {target}); }),
                 "a target is written");
  runner::GltfAsset again;
  fuzzing::check(
      reads([&] { again = runner::loadGltfBytes(kPath, runner::encodeGltf(asset, kPath)); }),
      "written bytes read back");
  std::vector<runner::MeshSummary> after;
  fuzzing::check(reads([&] { after = runner::listMeshes(again); }), "written meshes list");
  fuzzing::check(after.size() == before.size(), "no mesh lost");
  for (size_t m = 0; m < after.size(); ++m) {
    runner::MeshGeometry read;
    fuzzing::check(reads([&] { read = runner::readMesh(again, after[m]); }), "written meshes read");
    fuzzing::check(sameFloats(read.positions, before[m].positions), "positions kept bit for bit");
    if (m != mesh.summary.index) {
      fuzzing::check(read.targets.size() == before[m].targets.size(), "other meshes' targets kept");
      continue;
    }
    bool found = false;
    for (const runner::MorphTarget& t : read.targets)
      found = found || (t.name == target.name && sameFloats(t.positions, target.positions));
    fuzzing::check(found, "the written target reads back bit for bit");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  runner::GltfAsset asset;
  if (!reads([&] {
        asset = runner::loadGltfBytes(kPath, std::vector<std::uint8_t>(data, data + size));
      }))
    return 0;
  std::vector<runner::MeshSummary> meshes;
  if (!reads([&] { meshes = runner::listMeshes(asset); }))
    return 0;
  std::vector<runner::MeshGeometry> read;
  for (const runner::MeshSummary& summary : meshes)
    if (!reads([&] { read.push_back(runner::readMesh(asset, summary)); }))
      return 0;
  for (const runner::MeshGeometry& mesh : read)
    checkMesh(mesh);
  if (!read.empty())
    checkRoundTrip(asset, read.front());
  return 0;
}
