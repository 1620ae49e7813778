// A Wavefront OBJ mesh as plain arrays, the way the file holds it: its vertices (`v` lines) in
// file order, texture coordinates (`vt`), and faces whose corners name a vertex and optionally a
// texture coordinate, with the material in use (`usemtl`). Knows nothing of the host.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace runner::obj {

struct Mesh {
  std::string file;
  std::vector<float> positions;     // x, y, z of each vertex
  std::vector<float> uvs;           // u, v of each texture coordinate
  std::vector<size_t> faceStart{0}; // face f's corners: faceStart[f] .. faceStart[f + 1] - 1
  std::vector<int> cornerVertex;
  std::vector<int> cornerUv;          // -1: the corner names no texture coordinate
  std::vector<int> faceMaterial;      // index into materials, -1 before any usemtl
  std::vector<std::string> materials; // in order of first use
  // Statements read but not part of the mesh (normals, groups, lines, ...), by keyword.
  std::map<std::string, long> notRead;

  // Kept only for the file that outputs are written from: its bytes, and for each vertex the
  // offsets of its x, y and z texts (begin, end; six per vertex).
  std::string text;
  std::vector<std::uint64_t> coordinateSpans;

  int vertexCount() const { return static_cast<int>(positions.size() / 3); }
  int faceCount() const { return static_cast<int>(faceStart.size() - 1); }
};

} // namespace runner::obj
