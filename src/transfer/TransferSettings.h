// The command: its settings record and candidate list, shared by the flow (transfer/) and the
// options dialog (dialog/). One record exists for as long as the module is loaded; it starts all
// zero and is never written to disk or to the host.
#pragma once

#include "objects/CMQObject.h"

#include <string>
#include <vector>

// One object listed in the dialog: the object and whether its list item is selected.
struct CandidateEntry {
  cmq::CMQObject object;
  bool selected = false;
};

struct TransferSettings {
  bool keepObjectNames = false;
  bool useUniqueIds = false;
  bool selectedVerticesOnly = false;
  bool morphAddedVertices = false;
  bool mirrorMorph = false;
  bool createBackupElements = false;
  bool renameNewElements = false;
  bool copyCoordinates = false;
  bool copyWeights = false;
  bool copyMaterials = false;
  bool copyUvs = false;
  bool copyEdges = false;
  bool accepted = false;
  std::string sourceName;
  std::string destinationName;
  float rate = 0.0f;
  std::vector<CandidateEntry> candidates;
};

TransferSettings& transferSettings();

namespace transfer {
// Which settings open the face pass (and the recording of the vertex pairs it reads): copying
// materials, UVs or creases.
inline bool facePassRuns(const TransferSettings& settings) {
  return settings.copyMaterials || settings.copyUvs || settings.copyEdges;
}
} // namespace transfer
