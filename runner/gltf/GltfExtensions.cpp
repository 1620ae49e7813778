// The extensions a glTF file may require for this runner to read it. A required extension changes
// what the file means; the runner reads the plain form of meshes and accessors, and carries the
// rest of a file as it is, so it can take a required extension only when the extension leaves
// the geometry it reads alone (materials, textures, lights, instancing, avatars) or when its
// reader reads the extension's form itself (quantized attributes). Any other, compressed geometry
// above all, is refused by name: read as plain data, it would give zeros or garbage.
#include "GltfJsonAccess.h"

#include <algorithm>
#include <iterator>

namespace runner {

namespace {

const char* const kReadable[] = {
    "KHR_lights_punctual",
    "KHR_materials_anisotropy",
    "KHR_materials_clearcoat",
    "KHR_materials_dispersion",
    "KHR_materials_emissive_strength",
    "KHR_materials_ior",
    "KHR_materials_iridescence",
    "KHR_materials_pbrSpecularGlossiness",
    "KHR_materials_sheen",
    "KHR_materials_specular",
    "KHR_materials_transmission",
    "KHR_materials_unlit",
    "KHR_materials_variants",
    "KHR_materials_volume",
    "KHR_mesh_quantization", // integer attributes: the accessor reader takes every component type
    "KHR_texture_basisu",
    "KHR_texture_transform",
    "KHR_xmp_json_ld",
    "EXT_mesh_gpu_instancing",
    "EXT_texture_avif",
    "EXT_texture_webp",
    "VRM",
    "VRMC_materials_hdr_emissiveMultiplier",
    "VRMC_materials_mtoon",
    "VRMC_node_constraint",
    "VRMC_springBone",
    "VRMC_vrm",
};

bool readable(const std::string& extension) {
  return std::find(std::begin(kReadable), std::end(kReadable), extension) != std::end(kReadable);
}

} // namespace

void checkRequiredExtensions(const GltfAsset& asset) {
  const GltfJson& required = topArray(asset, "extensionsRequired");
  for (size_t e = 0; e < required.size(); ++e) {
    const std::string name = required[e].get<std::string>();
    if (!readable(name))
      fail(asset, "extensionsRequired[" + std::to_string(e) + "]",
           "the file requires the extension \"" + name +
               "\", which this runner cannot read: it reads no compressed geometry "
               "(KHR_draco_mesh_compression, EXT_meshopt_compression) and no extension that "
               "changes how meshes or buffers are stored");
  }
}

} // namespace runner
