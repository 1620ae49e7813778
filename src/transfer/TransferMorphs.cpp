// The transfer stage: the Source vertex of every Destination vertex looked up once, the vertex
// pass (matched vertices, then added ones), then the face pass; its finding goes into
// faceAttributesSkipped.
#include "entry/Tovalinder.h"
#include "transfer/FaceAttributeCopy.h"
#include "transfer/TransferSettings.h"
#include "transfer/VertexPairing.h"
#include "transfer/VertexPass.h"

namespace {

// findSourceVertex of every used Destination vertex and every vertex a face names (the regions
// of added vertices walk face edges); kNoSourceVertex for the others and for any answer that
// names no vertex.
std::vector<int> sourceVertexTable(const Tovalinder& plugin, const transfer::MeshSnapshot& mesh) {
  std::vector<char> wanted = mesh.used;
  for (int point : mesh.points)
    if (mesh.isVertex(point))
      wanted[static_cast<size_t>(point)] = 1;
  std::vector<int> table(wanted.size(), transfer::kNoSourceVertex);
  for (size_t v = 0; v < wanted.size(); ++v)
    if (wanted[v]) {
      const int found = plugin.findSourceVertex(static_cast<int>(v));
      table[v] = found >= 0 ? found : transfer::kNoSourceVertex;
    }
  return table;
}

} // namespace

void Tovalinder::transferMorphs() {
  // Without element pairs nothing is written and no face is paired.
  if (elements.empty() || newElements.empty())
    return;
  const TransferSettings& settings = transferSettings();
  const bool regionsNeeded = settings.morphAddedVertices && settings.copyCoordinates;
  const bool facePass = transfer::facePassRuns(settings);
  const transfer::MeshSnapshot& mesh =
      destinationMesh(transfer::kUsedFlags | (regionsNeeded || facePass ? transfer::kFaces : 0u));
  const std::vector<int> sourceOf = sourceVertexTable(*this, mesh);
  const std::vector<transfer::ElementPair> pairs =
      transfer::readElementPairs(elements, newElements);
  const transfer::MeshSnapshot& sourceVertices =
      sourceMesh(settings.copyCoordinates ? transfer::kPositions : transfer::kVertexCount);
  const transfer::VertexPassInput vertexPass{
      settings, document, destination.object, sourceVertices, mesh, sourceOf, pairs};
  const transfer::VertexTargets targets = transfer::chooseTargets(vertexPass);
  // Where the new elements' vertices stand before they move: the Destination's positions.
  if (settings.copyCoordinates && !(targets.matched.empty() && targets.added.empty()))
    destinationMesh(transfer::kPositions);
  transfer::moveMatchedVertices(vertexPass, targets.matched);
  transfer::moveAddedVertices(vertexPass, targets.added);
  if (facePass && transfer::copyFaceAttributes(transfer::FacePassInput{
                      settings, document, destination.object, mesh, targets.vertexPairs, pairs}))
    faceAttributesSkipped = true;
}
