// OBJ meshes as the simulated host's objects: the one place that knows both. Vertices keep
// their file order and become the host's vertices (weight 1); each face corner takes its texture
// coordinate as its UV ((0, 0) without one); `usemtl` names become material indices in order of
// first use over the files of a run.
#pragma once

#include "ObjMesh.h"
#include "SimHost.h"

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

// Adds the mesh's vertices at the given positions (three per vertex, as many as the mesh has),
// its faces, UVs and materials to an empty object.
void fillObject(sim::Object& object, const Mesh& mesh, const std::vector<float>& positions,
                const std::vector<int>& materials);

// An element of a base: the base's faces and unique IDs, the morph's positions (three per
// vertex, as many vertices as the base has).
void fillElement(sim::Object& element, const sim::Object& base,
                 const std::vector<float>& positions);

// Unique IDs after those of another object, so that nothing pairs by ID across the two.
void continueUniqueIds(sim::Object& object, const sim::Object& after);

// An object as an OBJ mesh: its vertices, faces, corner UVs (each distinct pair once) and
// materials (named "material<N>" after their index).
Mesh meshOf(const sim::Object& object);

// An object's vertex positions, three floats per vertex.
std::vector<float> positionsOf(const sim::Object& object);

} // namespace runner::obj
