// Morph targets written into a glTF file's JSON tree and buffer, touching nothing else: a target
// named like one already on the mesh replaces it in place, others are appended (where a name
// stands on several targets, the k-th written of that name replaces the mesh's k-th target of
// that name, or is appended when the mesh has fewer, so that none is lost); targets are never
// reordered (expressions and animations address them by index); mesh and node weights and
// extras.targetNames are kept in step. Deltas go into new accessors, sparse where most are zero,
// appended to the binary chunk (or to a new embedded buffer when the file has none).
#pragma once

#include "AccessorWriter.h"
#include "GltfAsset.h"
#include "GltfMesh.h"

#include <string>
#include <vector>

namespace runner {

struct NewTarget {
  std::string name;
  std::vector<float> positions; // deltas, 3 per vertex of the mesh (as MeshGeometry numbers them)
  std::vector<float> normals;   // deltas, 3 per vertex; empty: no NORMAL deltas written
  size_t occurrence = 0;        // how many targets of this name come before it where it is from
};

struct TargetWriteTally {
  int replaced = 0, appended = 0, sparseAccessors = 0, denseAccessors = 0;
};

// Writes targets into mesh `mesh.summary.index` of the asset one at a time (so that only one
// target's deltas need be held), then keeps everything in step. Throws FileError.
class TargetWriter {
public:
  TargetWriter(GltfAsset& asset, const MeshGeometry& mesh, bool allowSparse = true);
  // Room in the buffer for `targets` more targets at their largest (dense, with normals when
  // `normals`); pages of it never written take no memory.
  void reserve(size_t targets, bool normals);
  // Answers the target's index in the mesh.
  size_t write(const NewTarget& target);
  TargetWriteTally finish();

private:
  struct PrimitiveVertices {
    bool triangles = false;
    size_t first = 0, count = 0;
  };

  GltfAsset& asset_;
  const MeshGeometry& mesh_;
  bool allowSparse_;
  AccessorWriter writer_;
  std::vector<PrimitiveVertices> layout_;
  std::vector<std::string> names_;
  TargetWriteTally tally_;
};

// All at once.
TargetWriteTally writeTargets(GltfAsset& asset, const MeshGeometry& mesh,
                              const std::vector<NewTarget>& targets, bool allowSparse = true);

} // namespace runner
