// A Source element's faces asked of the host as the face pairing needs them (FacePairing.h),
// each answer kept for the next face that needs it: a face's point count and points, a vertex's
// related faces. Where most faces pair by unique ID this asks far less than reading every face.
// Relies on the bound host function table.
#pragma once

#include "transfer/FacePairing.h"

#include <unordered_map>
#include <vector>

namespace transfer {

class HostElementFaces {
public:
  // vertexCount: the element's vertex count as the host answered it; no vertex outside it is
  // asked about.
  HostElementFaces(MQObject element, int vertexCount) : element_(element), vertices_(vertexCount) {}
  // Turns to another element, forgetting every answer but keeping the tables' memory.
  void turnTo(MQObject element, int vertexCount);

  int pointCount(int face);
  const int* points(int face);
  VertexFaceRange facesOf(int vertex);

private:
  // A face's point count as answered for the element of that turn (asked for this element when
  // the turn is the current one).
  struct Count {
    int value = 0;
    unsigned turn = 0;
  };

  MQObject element_;
  int vertices_;
  unsigned turn_ = 1;
  // Counts by face index, a flat table for the indices a mesh of this many vertices plausibly
  // has (asked face by face, mostly each once), a map for any other index a host answers.
  std::vector<Count> counts_;
  std::unordered_map<int, int> otherCounts_;
  std::unordered_map<int, std::vector<int>> points_;
  std::unordered_map<int, std::vector<int>> faces_;
};

} // namespace transfer
