#include "AccessorWriter.h"

#include "Base64.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace runner {

namespace {

const int kFloat = 5126, kUnsignedByte = 5121, kUnsignedShort = 5123, kUnsignedInt = 5125;

bool isZero(const float* v, size_t components) {
  for (size_t c = 0; c < components; ++c) {
    std::uint32_t bits;
    std::memcpy(&bits, v + c, 4);
    if (bits != 0)
      return false; // +0 only: a -0 delta is kept as written
  }
  return true;
}

void appendFloats(std::vector<std::uint8_t>& out, const float* values, size_t count) {
  const size_t at = out.size();
  out.resize(at + count * 4);
  std::memcpy(out.data() + at, values, count * 4); // little-endian on every supported target
}

// The least and the greatest value of each component in one pass, NaNs left out (0 where every
// value is one); of equal values the first stands, so -0 and 0 keep their order.
void addBounds(GltfJson& accessor, const float* values, size_t elements, size_t components) {
  std::vector<float> low(components, 0.0f), high(components, 0.0f);
  std::vector<char> any(components, 0);
  for (size_t i = 0; i < elements; ++i)
    for (size_t c = 0; c < components; ++c) {
      const float v = values[i * components + c];
      if (std::isnan(v))
        continue;
      if (!any[c] || v < low[c])
        low[c] = v;
      if (!any[c] || v > high[c])
        high[c] = v;
      any[c] = 1;
    }
  GltfJson min = GltfJson::array(), max = GltfJson::array();
  for (size_t c = 0; c < components; ++c) {
    min.push_back(static_cast<double>(low[c]));
    max.push_back(static_cast<double>(high[c]));
  }
  accessor["min"] = std::move(min);
  accessor["max"] = std::move(max);
}

} // namespace

AccessorWriter::AccessorWriter(GltfAsset& asset) : asset_(asset) {
  if (!asset.json.contains("buffers"))
    asset.json["buffers"] = GltfJson::array();
  if (!asset.origins.empty() && asset.origins[0] == BufferOrigin::BinaryChunk) {
    buffer_ = 0;
    out_ = &asset.buffers[0];
  } else {
    buffer_ = asset.buffers.size();
    newBuffer_ = true;
    out_ = &bytes_;
  }
  if (!asset.json.contains("bufferViews"))
    asset.json["bufferViews"] = GltfJson::array();
  if (!asset.json.contains("accessors"))
    asset.json["accessors"] = GltfJson::array();
}

void AccessorWriter::finish() {
  if (newBuffer_) {
    if (bytes_.empty())
      return;
    GltfJson buffer = GltfJson::object();
    buffer["byteLength"] = bytes_.size();
    buffer["uri"] =
        "data:application/octet-stream;base64," + encodeBase64(bytes_.data(), bytes_.size());
    asset_.json["buffers"].push_back(buffer);
    asset_.buffers.push_back(std::move(bytes_));
    asset_.origins.push_back(BufferOrigin::DataUri);
  } else {
    asset_.json["buffers"][0]["byteLength"] = out_->size();
  }
  newBuffer_ = false;
}

size_t AccessorWriter::addView(const std::uint8_t* bytes, size_t size) {
  out_->resize((out_->size() + 3) / 4 * 4, 0);
  GltfJson view = GltfJson::object();
  view["buffer"] = buffer_;
  view["byteOffset"] = out_->size();
  view["byteLength"] = size;
  out_->insert(out_->end(), bytes, bytes + size);
  asset_.json["bufferViews"].push_back(view);
  return asset_.json["bufferViews"].size() - 1;
}

size_t AccessorWriter::addAccessor(GltfJson accessor) {
  asset_.json["accessors"].push_back(std::move(accessor));
  return asset_.json["accessors"].size() - 1;
}

size_t AccessorWriter::addFloats(const std::vector<float>& values, size_t components, size_t first,
                                 size_t count, const std::string& name, bool withBounds,
                                 bool allowSparse, bool& sparse) {
  const float* data = values.data() + first * components;
  std::vector<std::uint32_t> moved;
  for (size_t i = 0; i < count; ++i)
    if (!isZero(data + i * components, components))
      moved.push_back(static_cast<std::uint32_t>(i));
  sparse = allowSparse && !moved.empty() && moved.size() * 2 < count;
  GltfJson accessor = GltfJson::object();
  if (!sparse && !moved.empty()) // little-endian on every supported target, as appendFloats
    accessor["bufferView"] =
        addView(reinterpret_cast<const std::uint8_t*>(data), count * components * 4);
  accessor["componentType"] = kFloat;
  accessor["count"] = count;
  accessor["type"] = components == 1 ? std::string("SCALAR") : "VEC" + std::to_string(components);
  if (withBounds)
    addBounds(accessor, data, count, components);
  if (!name.empty())
    accessor["name"] = name;
  if (sparse) {
    std::vector<std::uint8_t> indices;
    const int type = count <= 0x100     ? kUnsignedByte
                     : count <= 0x10000 ? kUnsignedShort
                                        : kUnsignedInt;
    const size_t size = type == kUnsignedByte ? 1 : type == kUnsignedShort ? 2 : 4;
    std::vector<std::uint8_t> deltas;
    for (std::uint32_t i : moved) {
      for (size_t b = 0; b < size; ++b)
        indices.push_back(static_cast<std::uint8_t>(i >> (8 * b)));
      appendFloats(deltas, data + size_t{i} * components, components);
    }
    const size_t indexView = addView(indices.data(), indices.size());
    const size_t valueView = addView(deltas.data(), deltas.size());
    accessor["sparse"] = {{"count", moved.size()},
                          {"indices", {{"bufferView", indexView}, {"componentType", type}}},
                          {"values", {{"bufferView", valueView}}}};
  }
  return addAccessor(std::move(accessor));
}

size_t AccessorWriter::addIndices(const std::vector<std::uint32_t>& indices) {
  std::uint32_t largest = 0;
  for (std::uint32_t i : indices)
    largest = std::max(largest, i);
  const bool shorts = largest < 0xFFFF;
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t i : indices)
    for (size_t b = 0; b < (shorts ? 2u : 4u); ++b)
      bytes.push_back(static_cast<std::uint8_t>(i >> (8 * b)));
  GltfJson accessor = GltfJson::object();
  accessor["bufferView"] = addView(bytes.data(), bytes.size());
  accessor["componentType"] = shorts ? kUnsignedShort : kUnsignedInt;
  accessor["count"] = indices.size();
  accessor["type"] = "SCALAR";
  return addAccessor(std::move(accessor));
}

size_t AccessorWriter::addScalars(const std::vector<float>& values, bool withBounds) {
  std::vector<std::uint8_t> bytes;
  appendFloats(bytes, values.data(), values.size());
  GltfJson accessor = GltfJson::object();
  accessor["bufferView"] = addView(bytes.data(), bytes.size());
  accessor["componentType"] = kFloat;
  accessor["count"] = values.size();
  accessor["type"] = "SCALAR";
  if (withBounds)
    addBounds(accessor, values.data(), values.size(), 1);
  return addAccessor(std::move(accessor));
}

} // namespace runner
