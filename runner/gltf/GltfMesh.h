// The meshes of a glTF file as plain arrays: each mesh's triangle primitives one after another
// (positions, normals, TEXCOORD_0, triangles with their material), and its morph targets as
// deltas over the same vertices. Points and lines are skipped and listed. Relies on the checked
// accessor reader; every fault is a FileError with the JSON path.
#pragma once

#include "GltfAsset.h"

#include <cstdint>
#include <string>
#include <vector>

namespace runner {

struct MeshSummary {
  size_t index = 0;
  std::string name;     // node name, else mesh name, else "mesh<k>"
  std::string meshName; // as in the file (may be empty)
  std::vector<std::string> nodeNames;
  std::vector<std::string>
      targetNames; // extras.targetNames, else POSITION accessor names, else target<k>
  size_t primitives = 0;
};

struct MorphTarget {
  std::string name;
  std::vector<float> positions; // deltas, 3 per vertex
  std::vector<float> normals;   // deltas, 3 per vertex; empty when no primitive has them
};

struct PrimitiveSpan {
  size_t primitive = 0; // in the mesh's primitives array
  size_t firstVertex = 0, vertexCount = 0;
  bool hasNormals = false, hasUvs = false;
};

struct MeshGeometry {
  MeshSummary summary;
  std::vector<float> positions;         // 3 per vertex
  std::vector<float> normals;           // 3 per vertex (zeros where a primitive has none)
  std::vector<float> uvs;               // 2 per vertex (zeros where a primitive has none)
  std::vector<std::uint32_t> triangles; // 3 per triangle
  std::vector<int> triangleMaterials;   // per triangle; -1 none
  std::vector<PrimitiveSpan> spans;     // triangle primitives only
  std::vector<MorphTarget> targets;
  std::vector<std::string> skipped; // "meshes[0].primitives[1] (lines)"
  size_t vertexCount() const { return positions.size() / 3; }
  bool hasNormals(size_t vertex) const;
};

// Every mesh's names and target names, checking the meshes' structure (primitives, attributes,
// modes, target counts) without reading vertex data.
std::vector<MeshSummary> listMeshes(const GltfAsset& asset);

// One mesh's data, and the weights its morph animations hold (read, not kept). keepTargets false:
// every target's accessors are read and checked as well, but their deltas are not kept, so that a
// whole mesh is checked in the memory of one target.
MeshGeometry readMesh(const GltfAsset& asset, const MeshSummary& summary, bool keepTargets = true);

// The outputs of the animations of the mesh's morph weights, read as writing them would
// (WeightAnimations.cpp). Throws FileError.
void checkWeightAnimations(const GltfAsset& asset, size_t meshIndex);

// Every mesh of the file read as a run reads them, one at a time and none kept; answers their
// summaries. Throws FileError at the first fault.
std::vector<MeshSummary> readEveryMesh(const GltfAsset& asset);

} // namespace runner
