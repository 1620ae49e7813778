// The glTF containers: a JSON text with buffers in data URIs or files beside it, or the binary
// container: a 12-byte header, a JSON chunk, an optional binary chunk, possibly more chunks.
#include "GltfAsset.h"

#include "AtomicFile.h"
#include "Base64.h"
#include "GltfAccessor.h"
#include "GltfJsonAccess.h"
#include "InputFile.h"
#include "References.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <sstream>

namespace runner {

namespace {

namespace fs = std::filesystem;

const std::uint32_t kMagic = 0x46546C67; // "glTF"
const std::uint32_t kJsonChunk = 0x4E4F534A;
const std::uint32_t kBinaryChunk = 0x004E4942;

std::string lowerExtension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::uint32_t word(const std::vector<std::uint8_t>& bytes, size_t at) {
  return std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
         (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}

// Splits the binary container into its JSON text, binary chunk and further chunks: the JSON
// chunk's text; the binary chunk ends up in `binary`, moved within the file's own
// memory (no second copy of a large file), and `file` is left empty.
std::string splitBinary(GltfAsset& asset, std::vector<std::uint8_t>& file,
                        std::vector<std::uint8_t>& binary, bool& hasBinary) {
  const std::string name = asset.path + ": ";
  if (file.size() < 20 || word(file, 0) != kMagic)
    throw FileError(name + "not a binary glTF file (no \"glTF\" header)");
  if (word(file, 4) != 2)
    throw FileError(name + "binary glTF version " + std::to_string(word(file, 4)) +
                    "; this reader takes version 2");
  if (word(file, 8) != file.size())
    throw FileError(name + "the header gives a length of " + std::to_string(word(file, 8)) +
                    " bytes, but the file has " + std::to_string(file.size()));
  std::string json;
  size_t at = 12, binaryAt = 0, binaryLength = 0;
  for (int chunk = 0; at < file.size(); ++chunk) {
    const std::string which =
        "chunk " + std::to_string(chunk) + " (at byte " + std::to_string(at) + ")";
    if (file.size() - at < 8)
      throw FileError(name + which + ": the chunk header is cut short");
    const std::uint64_t length = word(file, at);
    const std::uint32_t type = word(file, at + 4);
    if (length > file.size() - at - 8)
      throw FileError(name + which + ": a length of " + std::to_string(length) +
                      " bytes runs past the end of the file");
    if (length % 4 != 0)
      throw FileError(name + which + ": a length of " + std::to_string(length) +
                      " bytes, not a multiple of 4");
    const auto begin = file.begin() + static_cast<std::ptrdiff_t>(at + 8);
    const auto end = begin + static_cast<std::ptrdiff_t>(length);
    if (chunk == 0) {
      if (type != kJsonChunk)
        throw FileError(name + which + ": the first chunk must hold the JSON");
      json.assign(begin, end);
    } else if (chunk == 1 && type == kBinaryChunk) {
      binaryAt = at + 8, binaryLength = length;
      hasBinary = true;
    } else if (type == kJsonChunk || type == kBinaryChunk) {
      throw FileError(name + which + ": a second " + (type == kJsonChunk ? "JSON" : "binary") +
                      " chunk");
    } else {
      asset.extraChunks.emplace_back(type, std::vector<std::uint8_t>(begin, end));
    }
    at += 8 + length;
  }
  if (json.empty())
    throw FileError(name + "no JSON chunk");
  if (hasBinary) {
    std::memmove(file.data(), file.data() + binaryAt, binaryLength);
    file.resize(binaryLength);
  }
  binary.swap(file);
  std::vector<std::uint8_t>().swap(file);
  if (!hasBinary)
    std::vector<std::uint8_t>().swap(binary);
  return json;
}

bool isDataUri(const std::string& uri) {
  return uri.rfind("data:", 0) == 0;
}

// A URI with a scheme of its own ("https:", "file:"), which names no file beside the glTF file.
bool hasScheme(const std::string& uri) {
  const size_t colon = uri.find(':');
  return colon != std::string::npos && colon > 1 && uri.find('/') > colon;
}

void loadBuffer(GltfAsset& asset, size_t index, std::vector<std::uint8_t>& binary, bool& binaryUsed,
                const ReferenceLocator& locate) {
  const std::string place = "buffers[" + std::to_string(index) + "]";
  const GltfJson& buffer = objectAt(asset, asset.json["buffers"], index, place);
  const std::uint64_t length = unsignedMember(asset, buffer, "byteLength", place, true);
  std::vector<std::uint8_t> bytes;
  BufferOrigin origin = BufferOrigin::BinaryChunk;
  if (!buffer.contains("uri")) {
    if (!asset.binary || index != 0 || binaryUsed)
      fail(asset, place,
           "has no uri, and only the first buffer of a binary file may lie in its "
           "binary chunk");
    bytes.swap(binary);
    binaryUsed = true;
  } else {
    const std::string uri = stringMember(asset, buffer, "uri", place);
    if (isDataUri(uri)) {
      origin = BufferOrigin::DataUri;
      const size_t comma = uri.find(',');
      if (comma == std::string::npos || comma < 12 || uri.compare(comma - 7, 7, ";base64") != 0 ||
          !decodeBase64(uri.substr(comma + 1), bytes))
        fail(asset, place + ".uri", "a data URI that is not base64 data");
    } else {
      origin = BufferOrigin::ExternalFile;
      const std::string file = referencedPath(asset.path, uri, place + ".uri", ReferenceForm::Uri);
      try {
        bytes = readWholeFile(locate ? locate(file) : file);
      } catch (const FileError& e) {
        fail(asset, place + ".uri", "cannot read \"" + file + "\": " + e.problem);
      }
    }
  }
  if (bytes.size() < length)
    fail(asset, place + ".byteLength",
         std::to_string(length) + " bytes, but the data holds only " +
             std::to_string(bytes.size()));
  bytes.resize(static_cast<size_t>(length));
  asset.buffers.push_back(std::move(bytes));
  asset.origins.push_back(origin);
}

// Every buffer view within its buffer, whether or not the run reads it.
void checkBufferViews(const GltfAsset& asset) {
  const GltfJson& views = topArray(asset, "bufferViews");
  for (size_t v = 0; v < views.size(); ++v)
    bufferViewSpan(asset, v);
}

} // namespace

bool isGltfPath(const std::string& path) {
  const std::string ext = lowerExtension(path);
  return ext == ".gltf" || ext == ".glb" || ext == ".vrm";
}

bool isBinaryGltfPath(const std::string& path) {
  const std::string ext = lowerExtension(path);
  return ext == ".glb" || ext == ".vrm";
}

std::string gltfPlace(const GltfAsset& asset, const std::string& jsonPath) {
  return asset.path + ": " + jsonPath + ": ";
}

GltfAsset loadGltf(const std::string& path) {
  std::vector<std::uint8_t> file;
  try {
    file = readWholeFile(path);
  } catch (const FileError& e) {
    throw FileError(path + ": cannot read the file (" + e.problem + ")");
  }
  return loadGltfBytes(path, std::move(file));
}

GltfAsset loadGltfBytes(const std::string& path, std::vector<std::uint8_t> file,
                        const ReferenceLocator& locate) {
  GltfAsset asset;
  asset.path = path;
  asset.binary = file.size() >= 4 && word(file, 0) == kMagic;
  std::vector<std::uint8_t> binary;
  bool hasBinary = false;
  const std::string text = asset.binary ? splitBinary(asset, file, binary, hasBinary)
                                        : std::string(file.begin(), file.end());
  std::vector<std::uint8_t>().swap(file);
  asset.json = parseJsonTree(text, path);
  checkRoot(asset);
  checkRequiredExtensions(asset);
  if (asset.json.contains("buffers")) {
    bool binaryUsed = false;
    for (size_t b = 0; b < asset.json["buffers"].size(); ++b)
      loadBuffer(asset, b, binary, binaryUsed, locate);
  }
  checkBufferViews(asset);
  checkAccessorForms(asset);
  return asset;
}

std::vector<ReferencedFile> referencedFiles(const GltfAsset& asset) {
  std::vector<ReferencedFile> files;
  for (const char* list : {"buffers", "images"}) {
    const GltfJson& items = topArray(asset, list);
    for (size_t i = 0; i < items.size(); ++i) {
      if (!items[i].contains("uri") || !items[i]["uri"].is_string())
        continue;
      ReferencedFile file;
      file.uri = items[i]["uri"].get<std::string>();
      // An image on the web is no file of ours; a buffer there is refused on reading.
      if (isDataUri(file.uri) || (list[0] == 'i' && hasScheme(file.uri)))
        continue;
      file.jsonPath = std::string(list) + "[" + std::to_string(i) + "].uri";
      file.path = referencedPath(asset.path, file.uri, file.jsonPath, ReferenceForm::Uri);
      file.buffer = list[0] == 'b' ? static_cast<long>(i) : -1;
      files.push_back(file);
    }
  }
  return files;
}

namespace {

void putWord(std::ostream& out, std::uint32_t value) {
  const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
                         char((value >> 24) & 0xFF)};
  out.write(bytes, 4);
}

void putBytes(std::ostream& out, const std::vector<std::uint8_t>& bytes, size_t paddedTo,
              char pad) {
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  for (size_t i = bytes.size(); i < paddedTo; ++i)
    out.put(pad);
}

} // namespace

void writeGltf(const GltfAsset& asset, std::ostream& out, const std::string& outputPath) {
  const std::string text = asset.json.dump(asset.binary ? -1 : 2, ' ', false);
  if (!asset.binary) {
    out << text << '\n';
    return;
  }
  const size_t jsonLength = (text.size() + 3) / 4 * 4;
  const bool hasBinary = !asset.origins.empty() && asset.origins[0] == BufferOrigin::BinaryChunk;
  const size_t binaryLength = hasBinary ? (asset.buffers[0].size() + 3) / 4 * 4 : 0;
  size_t total = 12 + 8 + jsonLength + (hasBinary ? 8 + binaryLength : 0);
  for (const auto& chunk : asset.extraChunks)
    total += 8 + chunk.second.size();
  if (total > 0xFFFFFFFFu)
    throw FileError(outputPath + ": the result would exceed the 4 GiB a binary glTF file holds");
  putWord(out, kMagic);
  putWord(out, 2);
  putWord(out, static_cast<std::uint32_t>(total));
  putWord(out, static_cast<std::uint32_t>(jsonLength));
  putWord(out, kJsonChunk);
  out << text;
  for (size_t i = text.size(); i < jsonLength; ++i)
    out.put(' ');
  if (hasBinary) {
    putWord(out, static_cast<std::uint32_t>(binaryLength));
    putWord(out, kBinaryChunk);
    putBytes(out, asset.buffers[0], binaryLength, 0);
  }
  for (const auto& chunk : asset.extraChunks) {
    putWord(out, static_cast<std::uint32_t>(chunk.second.size()));
    putWord(out, chunk.first);
    putBytes(out, chunk.second, chunk.second.size(), 0);
  }
}

std::vector<std::uint8_t> encodeGltf(const GltfAsset& asset, const std::string& outputPath) {
  std::ostringstream out;
  writeGltf(asset, out, outputPath);
  const std::string bytes = out.str();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void saveGltf(const GltfAsset& asset, const std::string& outputPath) {
  AtomicFile file(outputPath);
  if (!file.open())
    throw FileError(outputPath + ": cannot create the file");
  writeGltf(asset, file.stream(), outputPath);
  if (!file.commit())
    throw FileError(outputPath + ": could not write the file");
}

} // namespace runner
