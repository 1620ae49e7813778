// OBJ meshes as the runner's plain polygon arrays (run/HostObjects.h), and back: vertices keep
// their file order and become the host's vertices; each face corner takes its texture coordinate
// as its UV ((0, 0) without one); `usemtl` names become material indices in order of first use
// over the files of a run.
#pragma once

#include "HostObjects.h"
#include "ObjMesh.h"

#include <string>
#include <vector>

namespace runner::obj {

// The run's materials: each file's names mapped to indices shared by all objects.
class MaterialTable {
public:
  // The run index of each of the mesh's materials, adding names not seen before.
  std::vector<int> add(const Mesh& mesh);
  size_t size() const { return names_.size(); }

private:
  std::vector<std::string> names_;
};

// The mesh's vertices, faces, UVs and materials (by their run indices).
PolygonArrays polygonsOf(const Mesh& mesh, const std::vector<int>& materials);

// A mesh as an OBJ mesh: its vertices, faces, corner UVs (each distinct pair once) and materials
// (named "material<N>" after their index); `file` names it.
Mesh objMeshOf(const PolygonArrays& mesh, const std::string& file);

} // namespace runner::obj
