#include "GltfMeshChoice.h"

#include "TransferRun.h"

#include <algorithm>

namespace runner {

namespace {

std::string listed(const std::vector<MeshSummary>& meshes) {
  if (meshes.empty())
    return "no mesh";
  std::string text;
  for (const MeshSummary& m : meshes)
    text += (text.empty() ? "" : ", ") + ("\"" + m.name + "\"") + " (" +
            std::to_string(m.targetNames.size()) +
            (m.targetNames.size() == 1 ? " target)" : " targets)");
  return text;
}

bool bears(const MeshSummary& mesh, const std::string& name) {
  return mesh.name == name || mesh.meshName == name ||
         std::find(mesh.nodeNames.begin(), mesh.nodeNames.end(), name) != mesh.nodeNames.end();
}

const MeshSummary& named(const std::vector<MeshSummary>& meshes, const std::string& name,
                         const std::string& file, const char* role) {
  std::vector<const MeshSummary*> found;
  for (const MeshSummary& m : meshes)
    if (bears(m, name))
      found.push_back(&m);
  if (found.size() == 1)
    return *found.front();
  throw RunError(kExitBadInput, file + ": " +
                                    (found.empty() ? "no node or mesh is named \"" + name + "\""
                                                   : std::to_string(found.size()) +
                                                         " meshes bear the name \"" + name + "\"") +
                                    " (" + role + "); the file holds " + listed(meshes));
}

} // namespace

const MeshSummary& chooseSourceMesh(const std::vector<MeshSummary>& meshes,
                                    const std::optional<std::string>& name,
                                    const std::string& file) {
  if (name)
    return named(meshes, *name, file, "Source");
  std::vector<const MeshSummary*> morphed;
  for (const MeshSummary& m : meshes)
    if (!m.targetNames.empty())
      morphed.push_back(&m);
  if (morphed.size() == 1)
    return *morphed.front();
  throw RunError(
      kExitBadInput,
      file + ": " +
          (morphed.empty() ? std::string("no mesh has morph targets")
                           : std::to_string(morphed.size()) + " meshes have morph targets") +
          ", so the Source must be named with --source; the file holds " + listed(meshes));
}

const MeshSummary& chooseDestinationMesh(const std::vector<MeshSummary>& meshes,
                                         const std::optional<std::string>& name,
                                         const std::string& file, const MeshSummary& source,
                                         bool sameFile) {
  if (name)
    return named(meshes, *name, file, "Destination");
  std::vector<const MeshSummary*> candidates;
  for (const MeshSummary& m : meshes)
    if (sameFile ? m.index != source.index : m.name == source.name)
      candidates.push_back(&m);
  if (!sameFile && candidates.empty() && meshes.size() == 1)
    return meshes.front();
  if (candidates.size() == 1)
    return *candidates.front();
  const std::string why = sameFile ? "the Destination must be named with --destination"
                                   : "no single mesh is named \"" + source.name +
                                         "\" like the Source, so the "
                                         "Destination must be named with "
                                         "--destination";
  throw RunError(kExitBadInput, file + ": " + why + "; the file holds " + listed(meshes));
}

} // namespace runner
