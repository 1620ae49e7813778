// The glTF containers: a JSON text with buffers in data URIs or files beside it, or the binary
// container: a 12-byte header, a JSON chunk, an optional binary chunk, possibly more chunks.
#include "GltfAsset.h"

#include "AtomicFile.h"
#include "Base64.h"
#include "GltfJsonAccess.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

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

void putWord(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int b = 0; b < 4; ++b)
    bytes.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    return false;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Splits the binary container into its JSON text, binary chunk and further chunks.
std::string splitBinary(GltfAsset& asset, const std::vector<std::uint8_t>& file,
                        std::vector<std::uint8_t>& binary, bool& hasBinary) {
  const std::string name = asset.path + ": ";
  if (file.size() < 20 || word(file, 0) != kMagic)
    throw DocumentError(name + "not a binary glTF file (no \"glTF\" header)");
  if (word(file, 4) != 2)
    throw DocumentError(name + "binary glTF version " + std::to_string(word(file, 4)) +
                        "; this reader takes version 2");
  if (word(file, 8) != file.size())
    throw DocumentError(name + "the header gives a length of " + std::to_string(word(file, 8)) +
                        " bytes, but the file has " + std::to_string(file.size()));
  std::string json;
  size_t at = 12;
  for (int chunk = 0; at < file.size(); ++chunk) {
    const std::string which =
        "chunk " + std::to_string(chunk) + " (at byte " + std::to_string(at) + ")";
    if (file.size() - at < 8)
      throw DocumentError(name + which + ": the chunk header is cut short");
    const std::uint64_t length = word(file, at);
    const std::uint32_t type = word(file, at + 4);
    if (length > file.size() - at - 8)
      throw DocumentError(name + which + ": a length of " + std::to_string(length) +
                          " bytes runs past the end of the file");
    if (length % 4 != 0)
      throw DocumentError(name + which + ": a length of " + std::to_string(length) +
                          " bytes, not a multiple of 4");
    const auto begin = file.begin() + static_cast<std::ptrdiff_t>(at + 8);
    const auto end = begin + static_cast<std::ptrdiff_t>(length);
    if (chunk == 0) {
      if (type != kJsonChunk)
        throw DocumentError(name + which + ": the first chunk must hold the JSON");
      json.assign(begin, end);
    } else if (chunk == 1 && type == kBinaryChunk) {
      binary.assign(begin, end);
      hasBinary = true;
    } else if (type == kJsonChunk || type == kBinaryChunk) {
      throw DocumentError(name + which + ": a second " + (type == kJsonChunk ? "JSON" : "binary") +
                          " chunk");
    } else {
      asset.extraChunks.emplace_back(type, std::vector<std::uint8_t>(begin, end));
    }
    at += 8 + length;
  }
  if (json.empty())
    throw DocumentError(name + "no JSON chunk");
  return json;
}

std::string percentDecoded(const std::string& uri) {
  std::string out;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      out += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += uri[i];
    }
  }
  return out;
}

bool isDataUri(const std::string& uri) {
  return uri.rfind("data:", 0) == 0;
}

bool isRelativeFileUri(const std::string& uri) {
  if (uri.empty() || isDataUri(uri) || uri[0] == '/' || uri[0] == '\\')
    return false;
  const size_t colon = uri.find(':'), slash = uri.find('/');
  return colon == std::string::npos || (slash != std::string::npos && slash < colon);
}

void loadBuffer(GltfAsset& asset, size_t index, std::vector<std::uint8_t>& binary,
                bool& binaryUsed) {
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
      if (!isRelativeFileUri(uri))
        fail(asset, place + ".uri", "\"" + uri + "\" is not a file name relative to the glTF file");
      const fs::path file = fs::path(asset.path).parent_path() / fs::u8path(percentDecoded(uri));
      if (!readWholeFile(file.string(), bytes))
        fail(asset, place + ".uri", "cannot read \"" + file.string() + "\"");
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

std::string rebasedUri(const std::string& uri, const fs::path& from, const fs::path& to) {
  if (!isRelativeFileUri(uri))
    return uri;
  std::error_code error;
  const fs::path here = fs::current_path(error);
  const fs::path target =
      (from.empty() ? here : fs::absolute(from, error)) / fs::u8path(percentDecoded(uri));
  const fs::path relative =
      fs::relative(target, to.empty() ? here : fs::absolute(to, error), error);
  if (error || relative.empty())
    return uri;
  std::string text = relative.generic_u8string();
  std::string encoded;
  for (char c : text)
    encoded += c == ' ' ? std::string("%20") : c == '%' ? std::string("%25") : std::string(1, c);
  return encoded;
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
  if (!readWholeFile(path, file))
    throw DocumentError(path + ": cannot read the file");
  return loadGltfBytes(path, std::move(file));
}

GltfAsset loadGltfBytes(const std::string& path, std::vector<std::uint8_t> file) {
  GltfAsset asset;
  asset.path = path;
  asset.binary = file.size() >= 4 && word(file, 0) == kMagic;
  std::vector<std::uint8_t> binary;
  bool hasBinary = false;
  const std::string text = asset.binary ? splitBinary(asset, file, binary, hasBinary)
                                        : std::string(file.begin(), file.end());
  file.clear();
  try {
    asset.json = GltfJson::parse(text);
  } catch (const GltfJson::exception& e) {
    throw DocumentError(path + ": not a glTF file: the JSON cannot be read (" + e.what() + ")");
  }
  checkRoot(asset);
  if (asset.json.contains("buffers")) {
    bool binaryUsed = false;
    for (size_t b = 0; b < asset.json["buffers"].size(); ++b)
      loadBuffer(asset, b, binary, binaryUsed);
  }
  checkBufferViews(asset);
  return asset;
}

std::vector<std::uint8_t> encodeGltf(const GltfAsset& asset, const std::string& outputPath) {
  GltfJson json = asset.json;
  const fs::path from = fs::path(asset.path).parent_path();
  const fs::path to = fs::path(outputPath).parent_path();
  for (const char* list : {"buffers", "images"})
    if (json.contains(list))
      for (GltfJson& item : json[list])
        if (item.is_object() && item.contains("uri") && item["uri"].is_string())
          item["uri"] = rebasedUri(item["uri"].get<std::string>(), from, to);
  const std::string text = json.dump(asset.binary ? -1 : 2, ' ', false);
  std::vector<std::uint8_t> out;
  if (!asset.binary) {
    out.assign(text.begin(), text.end());
    out.push_back('\n');
    return out;
  }
  const size_t jsonLength = (text.size() + 3) / 4 * 4;
  const bool hasBinary = !asset.origins.empty() && asset.origins[0] == BufferOrigin::BinaryChunk;
  const size_t binaryLength = hasBinary ? (asset.buffers[0].size() + 3) / 4 * 4 : 0;
  size_t total = 12 + 8 + jsonLength + (hasBinary ? 8 + binaryLength : 0);
  for (const auto& chunk : asset.extraChunks)
    total += 8 + chunk.second.size();
  out.reserve(total);
  putWord(out, kMagic);
  putWord(out, 2);
  putWord(out, static_cast<std::uint32_t>(total));
  putWord(out, static_cast<std::uint32_t>(jsonLength));
  putWord(out, kJsonChunk);
  out.insert(out.end(), text.begin(), text.end());
  out.resize(out.size() + jsonLength - text.size(), ' ');
  if (hasBinary) {
    putWord(out, static_cast<std::uint32_t>(binaryLength));
    putWord(out, kBinaryChunk);
    out.insert(out.end(), asset.buffers[0].begin(), asset.buffers[0].end());
    out.resize(out.size() + binaryLength - asset.buffers[0].size(), 0);
  }
  for (const auto& chunk : asset.extraChunks) {
    putWord(out, static_cast<std::uint32_t>(chunk.second.size()));
    putWord(out, chunk.first);
    out.insert(out.end(), chunk.second.begin(), chunk.second.end());
  }
  return out;
}

void saveGltf(const GltfAsset& asset, const std::string& outputPath) {
  const std::vector<std::uint8_t> bytes = encodeGltf(asset, outputPath);
  if (asset.binary && bytes.size() > 0xFFFFFFFFu)
    throw DocumentError(outputPath +
                        ": the result would exceed the 4 GiB a binary glTF file holds");
  AtomicFile file(outputPath);
  if (!file.open())
    throw DocumentError(outputPath + ": cannot create the file");
  file.stream().write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
  if (!file.commit())
    throw DocumentError(outputPath + ": could not write the file");
}

} // namespace runner
