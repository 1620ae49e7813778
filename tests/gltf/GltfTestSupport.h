// Test support for glTF: small files built by hand (raw accessor bytes in any form, so the reader
// is tested against data it did not write), and Debian's assimp sample files.
#pragma once

#include "GltfAsset.h"
#include "GltfMesh.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace gltf_test {

using runner::GltfJson;

class GlbBuilder {
public:
  GlbBuilder();
  // Raw bytes in a new buffer view (4-byte aligned); answers its index.
  size_t view(const std::vector<std::uint8_t>& bytes, size_t stride = 0);
  size_t accessor(GltfJson accessor);
  // A VEC3 float accessor with min/max, dense.
  size_t vec3(const std::vector<float>& values);
  size_t indices(const std::vector<std::uint16_t>& values);
  // A node and mesh named `name` with one triangle-list primitive.
  size_t mesh(const std::string& name, GltfJson attributes, long indices,
              std::vector<GltfJson> targets = {}, const std::vector<std::string>& targetNames = {});
  std::vector<std::uint8_t> glb() const;
  void write(const std::string& path) const;
  runner::GltfAsset asset(const std::string& path = "built.glb") const;

  GltfJson json;
  std::vector<std::uint8_t> bin;
};

template <typename T> std::vector<std::uint8_t> bytesOf(const std::vector<T>& values) {
  std::vector<std::uint8_t> out(values.size() * sizeof(T));
  if (!values.empty())
    std::memcpy(out.data(), values.data(), out.size());
  return out;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b);

// The mesh of that name (as MeshSummary names it), read whole; a test failure when there is none.
runner::MeshGeometry meshNamed(const runner::GltfAsset& asset, const std::string& name);

std::string assimpModel(const std::string& relative);

} // namespace gltf_test
