#include "RepeatedNames.h"

#include "Utf8.h"

#include <set>

namespace runner {

namespace {

std::vector<size_t> indicesOf(const std::vector<std::string>& names, const std::string& name) {
  std::vector<size_t> found;
  for (size_t t = 0; t < names.size(); ++t)
    if (names[t] == name)
      found.push_back(t);
  return found;
}

std::string listed(const std::vector<size_t>& indices) {
  if (indices.empty())
    return "no target";
  std::string text = indices.size() == 1 ? "target " : "targets ";
  for (size_t i = 0; i < indices.size(); ++i)
    text += (i == 0 ? "" : i + 1 == indices.size() ? " and " : ", ") + std::to_string(indices[i]);
  return text;
}

std::string meshShown(const char* role, const MeshSummary& mesh) {
  return std::string(role) + " mesh " + quoted(mesh.name) + " (meshes[" +
         std::to_string(mesh.index) + "])";
}

std::string placements(const std::vector<size_t>& sources,
                       const std::vector<TargetPlacement>& placed) {
  std::string text;
  for (const TargetPlacement& p : placed)
    for (size_t s : sources)
      if (p.source == s)
        text += std::string(text.empty() ? "" : ", ") + "Source target " + std::to_string(s) +
                (p.appended ? " was appended as target " : " replaced target ") +
                std::to_string(p.output);
  return text;
}

} // namespace

size_t occurrenceOf(const std::vector<std::string>& names, size_t index) {
  size_t before = 0;
  for (size_t t = 0; t < index; ++t)
    before += names[t] == names[index] ? 1 : 0;
  return before;
}

std::vector<std::string> repeatedNameWarnings(const MeshSummary& source,
                                              const MeshSummary& destination,
                                              const std::vector<TargetPlacement>& placed) {
  std::vector<std::string> warnings;
  std::set<std::string> told;
  for (const std::vector<std::string>* names : {&source.targetNames, &destination.targetNames})
    for (const std::string& name : *names) {
      const std::vector<size_t> inSource = indicesOf(source.targetNames, name);
      const std::vector<size_t> inDestination = indicesOf(destination.targetNames, name);
      if ((inSource.size() < 2 && inDestination.size() < 2) || !told.insert(name).second)
        continue;
      std::string warning = "the morph target name " + quoted(name) + " stands on " +
                            listed(inSource) + " of the " + meshShown("Source", source) +
                            " and on " + listed(inDestination) + " of the " +
                            meshShown("Destination", destination) +
                            ": each Source target is carried as its own, the k-th of a name "
                            "replacing the Destination's k-th of that name or appended";
      const std::string done = placements(inSource, placed);
      warnings.push_back(warning + (done.empty() ? "" : " (" + done + ")"));
    }
  return warnings;
}

} // namespace runner
