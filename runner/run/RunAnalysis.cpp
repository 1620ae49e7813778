#include "RunAnalysis.h"

#include "HostObjects.h"
#include "transfer/FacePairing.h"
#include "transfer/MirrorPartners.h"
#include "transfer/SameBits.h"
#include "transfer/VertexPairing.h"

#include <algorithm>
#include <cmath>

namespace runner {

namespace {

// The Source vertex of every Destination vertex, as the plug-in's lookup answers it.
std::vector<int> sourceVertices(const sim::Object& source, const sim::Object& destination,
                                const transfer::MeshSnapshot& destinationMesh,
                                const TransferSettings& settings) {
  const std::vector<int> partners =
      settings.mirrorMorph
          ? transfer::findMirrorPartners(destinationMesh.positions, destinationMesh.used)
          : std::vector<int>();
  if (!settings.useUniqueIds)
    return transfer::throughMirror(
        transfer::pairByPosition(snapshotOf(source, transfer::kPositions | transfer::kUsedFlags),
                                 destinationMesh),
        partners);
  std::vector<int> found(static_cast<size_t>(destinationMesh.vertexCount));
  for (size_t v = 0; v < found.size(); ++v) {
    const int looked =
        transfer::lookedUpVertex(static_cast<int>(v), v < partners.size() ? partners[v] : -1);
    found[v] = source.vertexIndexFromUniqueId(vertexUniqueIdOf(destination, looked));
  }
  return found;
}

VertexFate fateOf(const sim::Object& destination, int v, int found,
                  const TransferSettings& settings) {
  if (destination.refCount(v) == 0)
    return VertexFate::Unused;
  if (settings.selectedVerticesOnly && !destination.selectedVertices.count(v))
    return VertexFate::NotSelected;
  if (found >= 0)
    return VertexFate::Matched;
  return settings.morphAddedVertices ? VertexFate::Interpolated : VertexFate::AddedLeftAlone;
}

void count(VertexTally& tally, VertexFate fate) {
  // In the order of VertexFate.
  int* const counters[] = {&tally.unused, &tally.notSelected, &tally.matched, &tally.interpolated,
                           &tally.addedLeftAlone};
  ++*counters[static_cast<int>(fate)];
}

// The vertex pairs the plug-in's vertex pass records for the face pass.
std::vector<int> vertexPairs(const Correspondence& correspondence) {
  std::vector<int> pairs(correspondence.sourceVertex.size(), transfer::kNoSourceVertex);
  for (size_t v = 0; v < pairs.size(); ++v)
    if (correspondence.fate[v] == VertexFate::Matched)
      pairs[v] = correspondence.sourceVertex[v];
  return pairs;
}

} // namespace

Correspondence analyseCorrespondence(const sim::Object& source, const sim::Object& destination,
                                     const TransferSettings& settings) {
  Correspondence result;
  const transfer::MeshSnapshot destinationMesh =
      snapshotOf(destination, transfer::kPositions | transfer::kUsedFlags);
  result.sourceVertex = sourceVertices(source, destination, destinationMesh, settings);
  result.tally.total = destinationMesh.vertexCount;
  for (int v = 0; v < destinationMesh.vertexCount; ++v) {
    const VertexFate fate =
        fateOf(destination, v, result.sourceVertex[static_cast<size_t>(v)], settings);
    result.fate.push_back(fate);
    count(result.tally, fate);
  }
  return result;
}

FaceAnalysis::FaceArrays::FaceArrays(const sim::Object& object)
    : faceStart(object.faceStart), points(object.points), faceIds(object.faceIds) {}

bool FaceAnalysis::FaceArrays::sameAs(const sim::Object& object) const {
  return faceStart.sameBlock(object.faceStart) && points.sameBlock(object.points) &&
         faceIds.sameBlock(object.faceIds);
}

FaceAnalysis::FaceAnalysis(const sim::Object& destination, const Correspondence& correspondence,
                           const TransferSettings& settings)
    : destination_(destination), settings_(settings), vertexPairs_(vertexPairs(correspondence)) {}

FaceTally FaceAnalysis::tally(const sim::Object& oldElement, const sim::Object& newElement) {
  return pairingOf(oldElement, newElement).tally;
}

const std::vector<int>& FaceAnalysis::unpaired(const sim::Object& oldElement,
                                               const sim::Object& newElement) {
  return pairingOf(oldElement, newElement).unpaired;
}

// The face pairing of the attribute copy, repeated: by unique ID, else through the vertices.
const FaceAnalysis::Pairing& FaceAnalysis::pairingOf(const sim::Object& oldElement,
                                                     const sim::Object& newElement) {
  if (last_ && last_->oldFaces.sameAs(oldElement) && last_->newFaces.sameAs(newElement))
    return *last_;
  last_ =
      std::make_unique<Pairing>(Pairing{FaceArrays(oldElement), FaceArrays(newElement), {}, {}});
  FaceTally& tally = last_->tally;
  tally.passRan = transfer::facePassRuns(settings_);
  if (!tally.passRan)
    return *last_;
  const transfer::ElementFaces element(snapshotOf(oldElement, transfer::kFaces));
  const transfer::MeshSnapshot made = snapshotOf(newElement, transfer::kFaces);
  for (int f = 0; f < made.faceCount(); ++f) {
    const int count = made.facePointCount(f);
    if (count == 0)
      continue;
    if (settings_.selectedVerticesOnly && !destination_.selectedFaces.count(f))
      continue;
    ++tally.considered;
    const int byId = settings_.mirrorMorph
                         ? -1
                         : oldElement.faceIndexFromUniqueId(faceUniqueIdOf(newElement, f));
    const transfer::FaceMatch match =
        byId >= 0 ? transfer::matchByUniqueId(byId, element.mesh.facePointCount(byId), count)
                  : transfer::findSourceFace(element, made.facePoints(f), count, vertexPairs_);
    if (match.face >= 0) {
      ++tally.paired;
    } else {
      ++tally.unpaired;
      last_->unpaired.push_back(f);
    }
  }
  return *last_;
}

MotionTally measureMotion(const sim::Object& newElement, const sim::Object& destination) {
  MotionTally tally;
  const int n = std::min(newElement.vertexCount(), destination.vertexCount());
  for (int v = 0; v < n; ++v) {
    const MQPoint p = positionOf(newElement, v);
    const MQPoint q = positionOf(destination, v);
    if (transfer::sameBits(&p, &q))
      continue;
    ++tally.moved;
    const float dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
    tally.largest = std::max(tally.largest, std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  return tally;
}

} // namespace runner
