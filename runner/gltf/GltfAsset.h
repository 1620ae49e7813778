// glTF 2.0 files (.gltf, .glb, and .vrm, which is a .glb) held as their JSON tree, key order kept,
// and the bytes of every buffer. Reading checks the container (GLB header and chunk lengths),
// resolves each buffer (the GLB binary chunk, a data URI or a file beside the JSON) and refuses
// anything it cannot take with a FileError naming the file and the JSON path. Writing puts
// the tree back in the same container kind, whole or not at all. Relies on nlohmann-json.
#pragma once

#include "FileError.h"
#include "JsonTree.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace runner {

using GltfJson = JsonTree;

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

// Throws FileError.
GltfAsset loadGltf(const std::string& path);
// The same for a file's bytes already in memory (buffers in other files are read beside `path`,
// from where `locate` says when given: the staged copy of a file not yet in place).
using ReferenceLocator = std::function<std::string(const std::string& path)>;
GltfAsset loadGltfBytes(const std::string& path, std::vector<std::uint8_t> bytes,
                        const ReferenceLocator& locate = {});

// The files beside a glTF file that it refers to by URI (its external buffers and images, web
// addresses of images left out), each checked to lie inside the file's folder. Throws FileError.
struct ReferencedFile {
  std::string uri;      // as the file writes it
  std::string path;     // where it is, beside the glTF file
  std::string jsonPath; // "buffers[1].uri"
  long buffer = -1;     // the buffer it holds, or -1 for an image
};
std::vector<ReferencedFile> referencedFiles(const GltfAsset& asset);

// The file's bytes as they will be written (binary container or JSON text). Buffers that came
// from outside files are not rewritten: the URIs stay, so a copy written elsewhere needs the
// files they name beside it.
std::vector<std::uint8_t> encodeGltf(const GltfAsset& asset, const std::string& outputPath);
// The same, written to a stream as it is made (no copy of the buffers in memory).
void writeGltf(const GltfAsset& asset, std::ostream& out, const std::string& outputPath);

// Writes the asset (temporary file, then rename). Throws FileError.
void saveGltf(const GltfAsset& asset, const std::string& outputPath);

// A place in the file for messages: "<file>: <path>: ".
std::string gltfPlace(const GltfAsset& asset, const std::string& jsonPath);

} // namespace runner
