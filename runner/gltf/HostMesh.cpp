#include "HostMesh.h"

namespace runner {

namespace {

// Whether triangles t and t + 1 are the two halves of a quad (a, b, c, d) as exporters write it,
// (a, b, c) then (a, c, d), over the same glTF vertices (so with the same UVs) and material.
bool halvesOfQuad(const MeshGeometry& mesh, const VertexWeld& weld, size_t t) {
  if (t + 1 >= mesh.triangleMaterials.size() ||
      mesh.triangleMaterials[t] != mesh.triangleMaterials[t + 1])
    return false;
  const std::uint32_t* first = &mesh.triangles[t * 3];
  const std::uint32_t* second = first + 3;
  if (first[0] != second[0] || first[2] != second[1])
    return false;
  const int a = weld.hostOf[first[0]], b = weld.hostOf[first[1]], c = weld.hostOf[first[2]],
            d = weld.hostOf[second[2]];
  return a != b && a != c && a != d && b != c && b != d && c != d;
}

void addFace(PolygonArrays& out, const MeshGeometry& mesh, const VertexWeld& weld,
             const std::uint32_t* corners, int count, int material) {
  for (int c = 0; c < count; ++c) {
    out.points.push_back(weld.hostOf[corners[c]]);
    const float* uv = &mesh.uvs[size_t{corners[c]} * 2];
    out.uvs.insert(out.uvs.end(), {uv[0], uv[1]});
  }
  out.faceStart.push_back(out.points.size());
  out.materials.push_back(material);
}

} // namespace

std::vector<float> morphedPositions(const MeshGeometry& mesh, const VertexWeld& weld,
                                    const MorphTarget* target) {
  std::vector<float> positions;
  positions.reserve(weld.firstOf.size() * 3);
  for (std::uint32_t v : weld.firstOf) {
    const float* p = &mesh.positions[size_t{v} * 3];
    if (!target) {
      positions.insert(positions.end(), {p[0], p[1], p[2]});
      continue;
    }
    const float* d = &target->positions[size_t{v} * 3];
    positions.insert(positions.end(), {p[0] + d[0], p[1] + d[1], p[2] + d[2]});
  }
  return positions;
}

PolygonArrays polygonsOf(const MeshGeometry& mesh, const VertexWeld& weld) {
  PolygonArrays out;
  out.positions = morphedPositions(mesh, weld, nullptr);
  const size_t triangles = mesh.triangleMaterials.size();
  out.points.reserve(triangles * 3);
  out.uvs.reserve(triangles * 6);
  for (size_t t = 0; t < triangles; ++t) {
    const std::uint32_t* corners = &mesh.triangles[t * 3];
    if (halvesOfQuad(mesh, weld, t)) {
      const std::uint32_t quad[4] = {corners[0], corners[1], corners[2], corners[5]};
      addFace(out, mesh, weld, quad, 4, mesh.triangleMaterials[t]);
      ++t;
    } else {
      addFace(out, mesh, weld, corners, 3, mesh.triangleMaterials[t]);
    }
  }
  return out;
}

} // namespace runner
