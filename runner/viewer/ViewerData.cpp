// The page's data block, written piece by piece into one string (the arrays of a large run are
// tens of megabytes: no second copy of them is made). Arrays are typed blocks,
// {"type": "float32" | "uint8" | "uint16" | "uint32", "data": base64 of the little-endian
// values}, indices in the narrowest type that holds them.
#include "MorphColours.h"
#include "MorphViewer.h"

#include "Base64.h"
#include "NumberBlocks.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace runner {

namespace {

// A JSON string of the text, invalid UTF-8 replaced, and "<" escaped so that no "</script" or
// "<!--" can appear inside the page's script element.
void appendString(std::string& out, const std::string& text) {
  const std::string json =
      nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  for (char c : json) {
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  }
}

void appendKey(std::string& out, const char* key) {
  if (out.back() != '{')
    out += ',';
  out += '"';
  out += key;
  out += "\":";
}

template <typename T>
void appendBlock(std::string& out, const char* type, const T* values, size_t count) {
  out += "{\"type\":\"";
  out += type;
  out += "\",\"data\":\"";
  appendBase64(out, reinterpret_cast<const std::uint8_t*>(values), count * sizeof(T));
  out += "\"}";
}

void appendFloats(std::string& out, const std::vector<float>& values) {
  appendBlock(out, blockTypeName<float>(), values.data(), values.size());
}

void appendIndices(std::string& out, const std::vector<std::uint32_t>& values) {
  const std::uint32_t largest =
      values.empty() ? 0 : *std::max_element(values.begin(), values.end());
  if (largest > 0xffff) {
    appendBlock(out, blockTypeName<std::uint32_t>(), values.data(), values.size());
    return;
  }
  if (largest > 0xff) {
    const std::vector<std::uint16_t> narrow(values.begin(), values.end());
    appendBlock(out, "uint16", narrow.data(), narrow.size());
    return;
  }
  const std::vector<std::uint8_t> narrow(values.begin(), values.end());
  appendBlock(out, "uint8", narrow.data(), narrow.size());
}

void appendNumber(std::string& out, double value) {
  out += nlohmann::json(value).dump();
}

void appendColour(std::string& out, const char* key, Colour c) {
  appendKey(out, key);
  out += '[';
  appendNumber(out, c.r);
  out += ',';
  appendNumber(out, c.g);
  out += ',';
  appendNumber(out, c.b);
  out += ']';
}

void appendColours(std::string& out) {
  out += '{';
  appendColour(out, "still", colours::kStill);
  appendColour(out, "halfway", colours::kHalfway);
  appendColour(out, "most", colours::kMost);
  appendColour(out, "added", colours::kAddedVertex);
  appendColour(out, "rewritten", colours::kRewrittenVertex);
  const unsigned char* b = colours::kBackground;
  appendColour(out, "background", Colour{b[0] / 255.0f, b[1] / 255.0f, b[2] / 255.0f});
  out += '}';
}

void appendMesh(std::string& out, const ViewerMesh& mesh) {
  out += '{';
  appendKey(out, "name");
  appendString(out, mesh.name);
  appendKey(out, "positions");
  appendFloats(out, mesh.positions);
  appendKey(out, "faceSizes");
  appendIndices(out, mesh.faceSizes);
  appendKey(out, "facePoints");
  appendIndices(out, mesh.facePoints);
  out += '}';
}

void appendOffsets(std::string& out, const ViewerOffsets& offsets) {
  out += '{';
  appendKey(out, "vertices");
  appendIndices(out, offsets.vertices);
  appendKey(out, "offsets");
  appendFloats(out, offsets.offsets);
  out += '}';
}

void appendMorph(std::string& out, const ViewerMorph& morph) {
  out += '{';
  appendKey(out, "name");
  appendString(out, morph.name);
  appendKey(out, "sourceName");
  appendString(out, morph.sourceName);
  appendKey(out, "source");
  appendOffsets(out, morph.source);
  appendKey(out, "result");
  appendOffsets(out, morph.result);
  appendKey(out, "unpairedFaces");
  out += std::to_string(morph.unpairedFaces);
  out += '}';
}

size_t blockBytes(const ViewerScene& scene) {
  size_t bytes = (scene.source.positions.size() + scene.result.positions.size()) * 4;
  bytes += (scene.source.facePoints.size() + scene.result.facePoints.size()) * 4;
  for (const ViewerMorph& m : scene.morphs)
    bytes += (m.source.vertices.size() + m.result.vertices.size()) * 16;
  return bytes / 3 * 4 + 4096;
}

} // namespace

std::string viewerDataJson(const ViewerScene& scene) {
  std::string out;
  out.reserve(blockBytes(scene));
  out += '{';
  appendKey(out, "title");
  appendString(out, scene.title);
  appendKey(out, "rate");
  appendNumber(out, scene.rate);
  appendKey(out, "facePassRan");
  out += scene.facePassRan ? "true" : "false";
  appendKey(out, "colours");
  appendColours(out);
  appendKey(out, "source");
  appendMesh(out, scene.source);
  appendKey(out, "result");
  appendMesh(out, scene.result);
  appendKey(out, "addedVertices");
  appendIndices(out, scene.addedVertices);
  appendKey(out, "rewrittenVertices");
  appendIndices(out, scene.rewrittenVertices);
  appendKey(out, "unpairedFaceSets");
  out += '[';
  for (size_t k = 0; k < scene.unpairedFaceSets.size(); ++k) {
    if (k > 0)
      out += ',';
    appendIndices(out, scene.unpairedFaceSets[k]);
  }
  out += ']';
  appendKey(out, "morphs");
  out += '[';
  for (size_t k = 0; k < scene.morphs.size(); ++k) {
    if (k > 0)
      out += ',';
    appendMorph(out, scene.morphs[k]);
  }
  out += "]}";
  return out;
}

} // namespace runner
