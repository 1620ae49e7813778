#include "ObjExport.h"

#include "ObjNumbers.h"

namespace runner::obj {

void writeMesh(std::ostream& out, const Mesh& mesh, const ExportOptions& options) {
  if (!options.comment.empty())
    out << "# " << options.comment << "\n";
  if (!options.objectName.empty())
    out << "o " << options.objectName << "\n";
  for (size_t v = 0; v < mesh.positions.size(); v += 3)
    out << "v " << shortestText(mesh.positions[v]) << ' ' << shortestText(mesh.positions[v + 1])
        << ' ' << shortestText(mesh.positions[v + 2]) << '\n';
  if (options.uvs)
    for (size_t t = 0; t < mesh.uvs.size(); t += 2)
      out << "vt " << shortestText(mesh.uvs[t]) << ' ' << shortestText(mesh.uvs[t + 1]) << '\n';
  int material = -1;
  for (int f = 0; f < mesh.faceCount(); ++f) {
    const int faceMaterial = mesh.faceMaterial[static_cast<size_t>(f)];
    if (faceMaterial != material && faceMaterial >= 0)
      out << "usemtl " << mesh.materials[static_cast<size_t>(faceMaterial)] << '\n';
    material = faceMaterial;
    out << 'f';
    for (size_t c = mesh.faceStart[static_cast<size_t>(f)];
         c < mesh.faceStart[static_cast<size_t>(f) + 1]; ++c) {
      out << ' ' << mesh.cornerVertex[c] + 1;
      if (options.uvs && mesh.cornerUv[c] >= 0)
        out << '/' << mesh.cornerUv[c] + 1;
    }
    out << '\n';
  }
}

} // namespace runner::obj
