// The face pass: pairs every Destination face with a face of each Source element (by unique ID,
// else through the vertex pairs) and copies material, corner UVs and edge creases with the
// corners aligned. A face that cannot be paired safely is left alone and flagged.
#include "host/HostTable.h"
#include "transfer/TransferPasses.h"
#include "transfer/TransferSettings.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace transfer {

int findFaceWithVertices(const cmq::CMQObject& object, const std::vector<int>& vertices,
                         int objectVertexCount) {
  std::vector<int> running;
  bool started = false;
  for (int v : vertices) {
    // Never ask the host about a vertex the object does not have.
    if (v < 0 || v >= objectVertexCount)
      return -1;
    std::vector<int> faces = object.relatedFaces(v);
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    if (!started) {
      running = std::move(faces);
      started = true;
    } else {
      std::vector<int> both;
      std::set_intersection(running.begin(), running.end(), faces.begin(), faces.end(),
                            std::back_inserter(both));
      running = std::move(both);
    }
    // A vertex without faces, or no face left holding all vertices so far.
    if (running.empty())
      return -1;
  }
  if (running.empty())
    return -1;
  const int face = running.front();
  return MQObj_GetFacePointCount(object.object, face) == static_cast<int>(vertices.size()) ? face
                                                                                           : -1;
}

std::pair<int, int> findSourceFace(const cmq::CMQObject& newElement,
                                   const cmq::CMQObject& sourceElement, int face,
                                   const std::vector<int>& vertexPairs, int sourceVertexCount) {
  const std::vector<int> points = newElement.facePoints(face);
  std::vector<int> mapped;
  mapped.reserve(points.size());
  for (int p : points) {
    const int s = p >= 0 && static_cast<size_t>(p) < vertexPairs.size()
                      ? vertexPairs[static_cast<size_t>(p)]
                      : kNoPair;
    if (s == kNoPair || s == -1)
      return {-1, 0};
    mapped.push_back(s);
  }
  const int s = findFaceWithVertices(sourceElement, mapped, sourceVertexCount);
  if (s == -1)
    return {-1, 0};
  const std::vector<int> sourcePoints = sourceElement.facePoints(s);
  const auto first = std::find(sourcePoints.begin(), sourcePoints.end(), mapped.front());
  const int m = first == sourcePoints.end() ? 0 : static_cast<int>(first - sourcePoints.begin());
  return {s, m};
}

namespace {

int wrap(int value, int n) {
  return ((value % n) + n) % n;
}

// Copies the attributes of Source face l (rotation m) to face f of the new element; both faces
// have n points.
void copyFace(const cmq::CMQObject& element, const cmq::CMQObject& newElement, int l, int m, int f,
              int n, const TransferSettings& settings) {
  const bool mirror = settings.mirrorMorph;
  if (settings.copyMaterials)
    MQObj_SetFaceMaterial(newElement.object, f, MQObj_GetFaceMaterial(element.object, l));
  if (settings.copyUvs) {
    const std::vector<cmq::CornerUv> corners = element.readCornerUvs(l);
    if (static_cast<int>(corners.size()) == n) {
      // Destination corner j takes Source corner j + m, mirrored m - j (orientation reversed).
      std::vector<cmq::CornerUv> aligned(corners.size());
      for (int j = 0; j < n; ++j)
        aligned[static_cast<size_t>(j)] =
            corners[static_cast<size_t>(mirror ? wrap(m - j, n) : wrap(j + m, n))];
      newElement.writeCornerUvs(f, aligned);
    }
  }
  if (settings.copyEdges) {
    // Destination edge j runs from corner j to j + 1; the Source edge between the same two
    // corners is j + m, mirrored m - 1 - j.
    for (int j = 0; j < n; ++j) {
      const int e = mirror ? wrap(m - 1 - j, n) : wrap(j + m, n);
      MQObj_SetFaceEdgeCrease(newElement.object, f, j,
                              MQObj_GetFaceEdgeCrease(element.object, l, e));
    }
  }
}

} // namespace

void copyFaceAttributes(Tovalinder& plugin, const std::vector<int>& vertexPairs) {
  const TransferSettings& settings = transferSettings();
  const MQObject destination = plugin.destination.object;
  const size_t pairs = std::min(plugin.elements.size(), plugin.newElements.size());
  if (pairs == 0)
    return;
  std::vector<int> elementVertexCounts, newFaceCounts;
  for (size_t k = 0; k < pairs; ++k) {
    elementVertexCounts.push_back(MQObj_GetVertexCount(plugin.elements[k].object));
    newFaceCounts.push_back(MQObj_GetFaceCount(plugin.newElements[k].object));
  }
  const int destinationIndex =
      settings.selectedVerticesOnly ? MQDoc_GetObjectIndex(plugin.document, destination) : -1;
  for (int f = 0; f < MQObj_GetFaceCount(destination); ++f) {
    if (MQObj_GetFacePointCount(destination, f) == 0)
      continue;
    if (settings.selectedVerticesOnly && !MQDoc_IsSelectFace(plugin.document, destinationIndex, f))
      continue;
    for (size_t k = 0; k < pairs; ++k) {
      const cmq::CMQObject& element = plugin.elements[k];
      const cmq::CMQObject& newElement = plugin.newElements[k];
      if (f >= newFaceCounts[k]) {
        plugin.faceAttributesSkipped = true;
        continue;
      }
      const int n = MQObj_GetFacePointCount(newElement.object, f);
      int l = -1;
      int m = 0;
      if (!settings.mirrorMorph) {
        l = MQObj_GetFaceIndexFromUniqueID(element.object,
                                           MQObj_GetFaceUniqueID(newElement.object, f));
        // A face of another size cannot take this face's corners or edges.
        if (l != -1 && MQObj_GetFacePointCount(element.object, l) != n) {
          plugin.faceAttributesSkipped = true;
          continue;
        }
      }
      if (l == -1)
        std::tie(l, m) =
            findSourceFace(newElement, element, f, vertexPairs, elementVertexCounts[k]);
      if (l == -1) {
        plugin.faceAttributesSkipped = true;
        continue;
      }
      copyFace(element, newElement, l, m, f, n, settings);
    }
  }
}

} // namespace transfer
