// glTF 2.0 files (.gltf, .glb, and .vrm, which is a .glb) held as their JSON tree, key order kept,
// and the bytes of every buffer. Reading checks the container (GLB header and chunk lengths),
// resolves each buffer (the GLB binary chunk, a data URI or a file beside the JSON) and refuses
// anything it cannot take with a DocumentError naming the file and the JSON path. Writing puts
// the tree back in the same container kind, whole or not at all. Relies on nlohmann-json.
#pragma once

#include "DocumentFile.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace runner {

using GltfJson = nlohmann::ordered_json;

enum class BufferOrigin { BinaryChunk, DataUri, ExternalFile };

// The check below sees allocations on paths of nlohmann's json that its moves and its destructor
// never take.
struct GltfAsset {  // NOLINT(bugprone-exception-escape)
  std::string path; // as given on the command line
  bool binary = false;
  GltfJson json;
  std::vector<std::vector<std::uint8_t>> buffers;
  std::vector<BufferOrigin> origins;
  // GLB chunks after the binary one, carried through as they are (type, bytes).
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> extraChunks;
};

// Whether a file name asks for glTF: .gltf, .glb or .vrm (any letter case).
bool isGltfPath(const std::string& path);
// Whether a file name asks for the binary container (.glb, .vrm).
bool isBinaryGltfPath(const std::string& path);

// Throws DocumentError.
GltfAsset loadGltf(const std::string& path);
// The same for a file's bytes already in memory (buffers in other files are read beside `path`).
GltfAsset loadGltfBytes(const std::string& path, std::vector<std::uint8_t> bytes);

// The file's bytes as they will be written (binary container or JSON text). Buffers that came
// from outside files are not rewritten; their relative URIs are rebased onto the new folder.
std::vector<std::uint8_t> encodeGltf(const GltfAsset& asset, const std::string& outputPath);

// Writes the asset (temporary file, then rename). Throws DocumentError.
void saveGltf(const GltfAsset& asset, const std::string& outputPath);

// A place in the file for messages: "<file>: <path>: ".
std::string gltfPlace(const GltfAsset& asset, const std::string& jsonPath);

} // namespace runner
