#include "NodePlacement.h"

#include "GltfJsonAccess.h"
#include "Utf8.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace runner {

namespace {

using Matrix = std::array<double, 16>; // column-major, as glTF writes matrices

Matrix identity() {
  Matrix m{};
  m[0] = m[5] = m[10] = m[15] = 1;
  return m;
}

Matrix product(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k)
        m[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
  return m;
}

// A member of `count` numbers, or nothing when absent or of another shape.
std::optional<std::vector<double>> numbers(const GltfJson& node, const char* key, size_t count) {
  if (!node.contains(key) || !node[key].is_array() || node[key].size() != count)
    return std::nullopt;
  std::vector<double> values;
  for (const GltfJson& v : node[key])
    if (v.is_number())
      values.push_back(v.get<double>());
  return values.size() == count ? std::optional<std::vector<double>>(values) : std::nullopt;
}

// The node's own transform: its matrix, else translation * rotation * scale.
Matrix localMatrix(const GltfJson& node) {
  Matrix m = identity();
  if (const auto matrix = numbers(node, "matrix", 16)) {
    std::copy(matrix->begin(), matrix->end(), m.begin());
    return m;
  }
  const std::vector<double> t = numbers(node, "translation", 3).value_or(std::vector<double>(3));
  const std::vector<double> q =
      numbers(node, "rotation", 4).value_or(std::vector<double>{0, 0, 0, 1});
  const std::vector<double> s = numbers(node, "scale", 3).value_or(std::vector<double>(3, 1.0));
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  const double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                       2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                       2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
  for (int column = 0; column < 3; ++column)
    for (int row = 0; row < 3; ++row)
      m[column * 4 + row] = r[column * 3 + row] * s[static_cast<size_t>(column)];
  for (int row = 0; row < 3; ++row)
    m[12 + row] = t[static_cast<size_t>(row)];
  return m;
}

// The node's transform after its parents', walking up at most as many steps as there are nodes
// (a file with a cycle of children is not a tree; the walk simply stops).
Matrix worldMatrix(const GltfJson& nodes, size_t node) {
  std::vector<long> parent(nodes.size(), -1);
  for (size_t n = 0; n < nodes.size(); ++n)
    if (nodes[n].contains("children") && nodes[n]["children"].is_array())
      for (const GltfJson& child : nodes[n]["children"])
        if (child.is_number_unsigned() && child.get<size_t>() < nodes.size())
          parent[child.get<size_t>()] = static_cast<long>(n);
  Matrix m = localMatrix(nodes[node]);
  long up = parent[node];
  for (size_t steps = 0; up >= 0 && steps < nodes.size(); ++steps) {
    m = product(localMatrix(nodes[static_cast<size_t>(up)]), m);
    up = parent[static_cast<size_t>(up)];
  }
  return m;
}

bool usesMesh(const GltfJson& node, size_t mesh) {
  return node.contains("mesh") && node["mesh"].is_number_unsigned() &&
         node["mesh"].get<size_t>() == mesh;
}

std::string nameOf(const GltfJson& node) {
  return node.contains("name") && node["name"].is_string() ? node["name"].get<std::string>()
                                                           : std::string();
}

long firstNodeOf(const GltfJson& nodes, size_t mesh) {
  for (size_t n = 0; n < nodes.size(); ++n)
    if (usesMesh(nodes[n], mesh))
      return static_cast<long>(n);
  return -1;
}

// The Source's node of this name: one that uses the Source mesh, else any.
long namesake(const GltfJson& nodes, const std::string& name, size_t mesh) {
  long any = -1;
  for (size_t n = 0; n < nodes.size(); ++n)
    if (nameOf(nodes[n]) == name) {
      if (usesMesh(nodes[n], mesh))
        return static_cast<long>(n);
      if (any < 0)
        any = static_cast<long>(n);
    }
  return any;
}

bool samePlace(const Matrix& a, const Matrix& b) {
  double scale = 1;
  for (size_t i = 0; i < 16; ++i)
    scale = std::max({scale, std::fabs(a[i]), std::fabs(b[i])});
  for (size_t i = 0; i < 16; ++i)
    if (!(std::fabs(a[i] - b[i]) <= 1e-6 * scale))
      return false;
  return true;
}

} // namespace

std::optional<std::string> placementNote(const GltfAsset& source, size_t sourceMesh,
                                         const GltfAsset& destination, size_t destinationMesh) {
  const GltfJson& sourceNodes = topArray(source, "nodes");
  const GltfJson& destinationNodes = topArray(destination, "nodes");
  const long d = firstNodeOf(destinationNodes, destinationMesh);
  if (d < 0)
    return std::nullopt;
  const std::string name = nameOf(destinationNodes[static_cast<size_t>(d)]);
  const long s = name.empty() ? -1 : namesake(sourceNodes, name, sourceMesh);
  if (s < 0 || (&source == &destination && s == d))
    return std::nullopt;
  if (samePlace(worldMatrix(sourceNodes, static_cast<size_t>(s)),
                worldMatrix(destinationNodes, static_cast<size_t>(d))))
    return std::nullopt;
  return "Destination node " + quoted(name) + " (nodes[" + std::to_string(d) +
         "]) is placed otherwise than the Source's node of that name (nodes[" + std::to_string(s) +
         "]): vertices are paired in mesh space, so its placement is not taken into account";
}

} // namespace runner
