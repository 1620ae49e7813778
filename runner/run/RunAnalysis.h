// What a run did, measured by the runner from the documents: for every Destination vertex
// whether it was matched to a Source vertex, added (and given an interpolated morph or left), or
// skipped; for every new element how many vertices actually moved and how many faces could not
// be paired with a face of its Source element. The pairing of vertices and faces is the
// plug-in's own (its functions on plain arrays, run on snapshots of the documents), so the
// figures say what the plug-in did, in the plug-in's bounded memory; the moved-vertex counts are
// read from the resulting objects themselves.
#pragma once

#include "SimHost.h"
#include "transfer/TransferSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace runner {

enum class VertexFate { Unused, NotSelected, Matched, Interpolated, AddedLeftAlone };

struct VertexTally {
  int total = 0, unused = 0, notSelected = 0, matched = 0, interpolated = 0, addedLeftAlone = 0;
};

// The Source vertex of every Destination vertex (-1: none), and each vertex's fate.
struct Correspondence {
  std::vector<int> sourceVertex;
  std::vector<VertexFate> fate;
  VertexTally tally;
};

Correspondence analyseCorrespondence(const sim::Object& source, const sim::Object& destination,
                                     const TransferSettings& settings);

struct FaceTally {
  bool passRan = false; // the face pass runs when materials, UVs or creases are copied
  int considered = 0, paired = 0, unpaired = 0;
};

// Faces of a new element (a clone of the Destination) that find no face of its old element.
// Elements made from one object share its face arrays until one is written (the host's arrays are
// copy-on-write) and the same faces pair the same way, so a run's pairings are worked out once
// for each distinct pair of face arrays, not once per element.
class FaceAnalysis {
public:
  // The three are the run's; they must outlive the analysis.
  FaceAnalysis(const sim::Object& destination, const Correspondence& correspondence,
               const TransferSettings& settings);
  FaceTally tally(const sim::Object& oldElement, const sim::Object& newElement);
  // Those faces themselves, by index (none when the face pass does not run).
  const std::vector<int>& unpaired(const sim::Object& oldElement, const sim::Object& newElement);

private:
  // An object's face arrays, held so that their blocks stay what they are while compared.
  struct FaceArrays {
    explicit FaceArrays(const sim::Object& object);
    bool sameAs(const sim::Object& object) const;
    sim::SharedArray<size_t> faceStart;
    sim::SharedArray<int> points;
    sim::SharedArray<MQDWORD> faceIds;
  };
  struct Pairing {
    FaceArrays oldFaces, newFaces;
    FaceTally tally;
    std::vector<int> unpaired;
  };
  const Pairing& pairingOf(const sim::Object& oldElement, const sim::Object& newElement);

  const sim::Object& destination_;
  const TransferSettings& settings_;
  std::vector<int> vertexPairs_; // the plug-in's record of the vertex pass
  std::unique_ptr<Pairing> last_;
};

struct MotionTally {
  int moved = 0;        // vertices whose position differs from the Destination's
  float largest = 0.0f; // longest offset from the Destination
};
MotionTally measureMotion(const sim::Object& newElement, const sim::Object& destination);

} // namespace runner
