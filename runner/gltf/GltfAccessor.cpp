#include "GltfAccessor.h"

#include "GltfJsonAccess.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace runner {

namespace {

enum ComponentType : int {
  kByte = 5120,
  kUnsignedByte = 5121,
  kShort = 5122,
  kUnsignedShort = 5123,
  kUnsignedInt = 5125,
  kFloat = 5126,
};

size_t componentSize(std::uint64_t type) {
  switch (type) {
  case kByte:
  case kUnsignedByte:
    return 1;
  case kShort:
  case kUnsignedShort:
    return 2;
  case kUnsignedInt:
  case kFloat:
    return 4;
  default:
    return 0;
  }
}

int componentsOf(const std::string& type) {
  return type == "SCALAR" ? 1 : type == "VEC2" ? 2 : type == "VEC3" ? 3 : type == "VEC4" ? 4 : 0;
}

std::string at(const char* list, size_t index) {
  return std::string(list) + "[" + std::to_string(index) + "]";
}

// One component as a double: floats as they are, integers normalized or not.
double component(const std::uint8_t* p, std::uint64_t type, bool normalized) {
  switch (type) {
  case kByte: {
    const auto v = static_cast<std::int8_t>(*p);
    return normalized ? std::max(v / 127.0, -1.0) : v;
  }
  case kUnsignedByte:
    return normalized ? *p / 255.0 : *p;
  case kShort: {
    std::int16_t v;
    std::memcpy(&v, p, 2);
    return normalized ? std::max(v / 32767.0, -1.0) : v;
  }
  case kUnsignedShort: {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return normalized ? v / 65535.0 : v;
  }
  case kUnsignedInt: {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return normalized ? v / 4294967295.0 : v;
  }
  default: {
    float v;
    std::memcpy(&v, p, 4);
    return v;
  }
  }
}

// A checked span of bytes inside a buffer view: where element i starts, and the stride.
struct ByteRange {
  const std::uint8_t* first = nullptr;
  size_t stride = 0;
};

// The bytes of `count` elements of `elementSize` at `offset` in buffer view `view`, checked.
ByteRange viewRange(const GltfAsset& asset, size_t view, std::uint64_t offset, std::uint64_t count,
                    size_t elementSize, size_t alignment, bool allowStride,
                    const std::string& user) {
  const std::string place = at("bufferViews", view);
  const GltfJson& v = topArray(asset, "bufferViews")[view];
  const ViewSpan span = bufferViewSpan(asset, view);
  const std::uint64_t viewOffset = span.offset, viewLength = span.length;
  const size_t buffer = span.buffer;
  std::uint64_t stride = elementSize;
  if (allowStride && v.contains("byteStride")) {
    stride = unsignedMember(asset, v, "byteStride", place, true);
    if (stride < 4 || stride > 252 || stride % 4 != 0 || stride < elementSize)
      fail(asset, place + ".byteStride",
           std::to_string(stride) +
               " is not a stride of 4 to 252 bytes (a multiple of 4) that "
               "holds an element of " +
               std::to_string(elementSize) + " bytes");
  }
  if (offset > viewLength)
    fail(asset, user,
         "byteOffset " + std::to_string(offset) + " past the " + std::to_string(viewLength) +
             " bytes of " + place);
  if ((viewOffset + offset) % alignment != 0)
    fail(asset, user,
         "the data starts at byte " + std::to_string(viewOffset + offset) +
             ", not a multiple of its component size " + std::to_string(alignment));
  const std::uint64_t needed = offset + stride * (count - 1) + elementSize;
  if (needed > viewLength)
    fail(asset, user,
         std::to_string(count) + " elements need " + std::to_string(needed) + " bytes of " + place +
             ", which holds " + std::to_string(viewLength));
  return ByteRange{asset.buffers[buffer].data() + viewOffset + offset, static_cast<size_t>(stride)};
}

// Only byte and short integers are normalized: a normalized float or 32-bit integer is no valid
// accessor, whatever a lenient reader would make of it.
bool normalizedOf(const GltfAsset& asset, const GltfJson& a, std::uint64_t componentType,
                  const std::string& place) {
  if (a.contains("normalized") && !a["normalized"].is_boolean())
    fail(asset, place + ".normalized", "expected a boolean");
  const bool normalized = a.value("normalized", false);
  if (normalized && (componentType == kFloat || componentType == kUnsignedInt))
    fail(asset, place + ".normalized",
         std::string("true for ") + (componentType == kFloat ? "floats" : "32-bit integers") +
             ": only bytes and shorts are normalized");
  return normalized;
}

struct AccessorShape {
  std::uint64_t count = 0, componentType = 0;
  int components = 0;
  bool normalized = false;
};

AccessorShape shapeOf(const GltfAsset& asset, size_t accessor, const std::string& user) {
  const std::string place = at("accessors", accessor);
  const GltfJson& a = topArray(asset, "accessors")[accessor];
  AccessorShape s;
  s.componentType = unsignedMember(asset, a, "componentType", place, true);
  if (componentSize(s.componentType) == 0)
    fail(asset, place + ".componentType",
         std::to_string(s.componentType) + " is no component type");
  s.components = componentsOf(stringMember(asset, a, "type", place));
  if (s.components == 0)
    fail(asset, place + ".type", "missing, or not SCALAR or VEC2 to VEC4 (used as " + user + ")");
  s.count = unsignedMember(asset, a, "count", place, true);
  if (s.count == 0 || s.count > kMostAccessorElements)
    fail(asset, place + ".count",
         std::to_string(s.count) + " elements: this reader takes 1 to " +
             std::to_string(kMostAccessorElements));
  s.normalized = normalizedOf(asset, a, s.componentType, place);
  return s;
}

// The sparse substitution's indices, each checked to lie within the accessor and to come after
// the one before it (strictly increasing, as the format requires).
std::vector<std::uint32_t> sparseIndices(const GltfAsset& asset, size_t accessor,
                                         const AccessorShape& s) {
  const std::string place = at("accessors", accessor) + ".sparse";
  const GltfJson& sparse = topArray(asset, "accessors")[accessor]["sparse"];
  if (!sparse.is_object() || !sparse.contains("indices") || !sparse["indices"].is_object() ||
      !sparse.contains("values") || !sparse["values"].is_object())
    fail(asset, place, "expected an object with \"count\", \"indices\" and \"values\" objects");
  const std::uint64_t count = unsignedMember(asset, sparse, "count", place, true);
  if (count == 0 || count > s.count)
    fail(asset, place + ".count",
         std::to_string(count) + " substitutions for " + std::to_string(s.count) + " elements");
  const GltfJson& ix = sparse["indices"];
  const std::string ixPlace = place + ".indices";
  const std::uint64_t ixType = unsignedMember(asset, ix, "componentType", ixPlace, true);
  if (ixType != kUnsignedByte && ixType != kUnsignedShort && ixType != kUnsignedInt)
    fail(asset, ixPlace + ".componentType",
         "sparse indices must be unsigned bytes, shorts or ints");
  const size_t ixSize = componentSize(ixType);
  const ByteRange ixBytes = viewRange(
      asset,
      static_cast<size_t>(indexMember(asset, ix, "bufferView", ixPlace, "bufferViews", true)),
      unsignedMember(asset, ix, "byteOffset", ixPlace, false), count, ixSize, ixSize, false,
      ixPlace);
  std::vector<std::uint32_t> indices(static_cast<size_t>(count));
  for (size_t i = 0; i < indices.size(); ++i) {
    const auto index =
        static_cast<std::uint64_t>(component(ixBytes.first + i * ixSize, ixType, false));
    if (index >= s.count)
      fail(asset, ixPlace,
           "index " + std::to_string(index) + " past the " + std::to_string(s.count) +
               " elements of the accessor");
    if (i > 0 && index <= indices[i - 1])
      fail(asset, ixPlace,
           "index " + std::to_string(index) + " (substitution " + std::to_string(i) +
               ") does not come after " + std::to_string(indices[i - 1]) +
               ": sparse indices must be strictly increasing");
    indices[i] = static_cast<std::uint32_t>(index);
  }
  return indices;
}

void readSparse(const GltfAsset& asset, size_t accessor, const AccessorShape& s,
                std::vector<float>& values) {
  const std::vector<std::uint32_t> indices = sparseIndices(asset, accessor, s);
  const std::string vxPlace = at("accessors", accessor) + ".sparse.values";
  const GltfJson& vx = topArray(asset, "accessors")[accessor]["sparse"]["values"];
  const size_t size = componentSize(s.componentType);
  const ByteRange vxBytes = viewRange(
      asset,
      static_cast<size_t>(indexMember(asset, vx, "bufferView", vxPlace, "bufferViews", true)),
      unsignedMember(asset, vx, "byteOffset", vxPlace, false), indices.size(), size * s.components,
      size, false, vxPlace);
  const auto n = static_cast<size_t>(s.components);
  for (size_t i = 0; i < indices.size(); ++i)
    for (size_t c = 0; c < n; ++c)
      values[size_t{indices[i]} * n + c] = static_cast<float>(
          component(vxBytes.first + i * vxBytes.stride + c * size, s.componentType, s.normalized));
}

std::string numberShown(float value) {
  if (std::isnan(value))
    return "NaN";
  if (std::isinf(value))
    return value > 0 ? "infinity" : "-infinity";
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

// Whether any value is a NaN or an infinity (all exponent bits set): one pass without branches,
// since nearly every accessor has none.
bool anyNonFinite(const std::vector<float>& values) {
  std::uint32_t found = 0;
  for (const float value : values) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    found |= static_cast<std::uint32_t>((bits & 0x7F800000u) == 0x7F800000u);
  }
  return found != 0;
}

// glTF allows only finite numbers: a NaN or an infinity can only be a fault, and no output that
// carried it would be valid.
void requireFinite(const GltfAsset& asset, size_t accessor, const std::vector<float>& values,
                   size_t components, const std::string& user) {
  if (!anyNonFinite(values))
    return;
  for (size_t i = 0; i < values.size(); ++i) {
    if (std::isfinite(values[i]))
      continue;
    std::string element;
    for (size_t c = 0; c < components; ++c)
      element += (c ? ", " : "") + numberShown(values[i - i % components + c]);
    fail(asset, at("accessors", accessor),
         "element " + std::to_string(i / components) + " (" + element + ", read as " + user +
             ") is not a finite number: glTF allows only finite numbers");
  }
}

} // namespace

void checkAccessorForms(const GltfAsset& asset) {
  const GltfJson& accessors = topArray(asset, "accessors");
  for (size_t a = 0; a < accessors.size(); ++a) {
    const std::string place = at("accessors", a);
    if (accessors[a].contains("sparse"))
      sparseIndices(asset, a, shapeOf(asset, a, place));
    else
      normalizedOf(asset, accessors[a],
                   unsignedMember(asset, accessors[a], "componentType", place, false), place);
  }
}

size_t accessorCount(const GltfAsset& asset, size_t accessor, const std::string& user) {
  return static_cast<size_t>(shapeOf(asset, accessor, user).count);
}

std::vector<float> readFloats(const GltfAsset& asset, size_t accessor, int components,
                              const std::string& user) {
  const AccessorShape s = shapeOf(asset, accessor, user);
  const std::string place = at("accessors", accessor);
  if (s.components != components)
    fail(asset, place + ".type",
         std::string("\"") + topArray(asset, "accessors")[accessor]["type"].get<std::string>() +
             "\", but " + user + " needs VEC" + std::to_string(components));
  const GltfJson& a = topArray(asset, "accessors")[accessor];
  const auto n = static_cast<size_t>(components);
  std::vector<float> values(static_cast<size_t>(s.count) * n, 0.0f);
  const long view = indexMember(asset, a, "bufferView", place, "bufferViews", false);
  if (view >= 0) {
    const size_t size = componentSize(s.componentType);
    const ByteRange bytes = viewRange(asset, static_cast<size_t>(view),
                                      unsignedMember(asset, a, "byteOffset", place, false), s.count,
                                      size * n, size, true, place);
    if (s.componentType == kFloat &&
        bytes.stride == size * n) // packed floats: the bytes as they are
      std::memcpy(values.data(), bytes.first, values.size() * sizeof(float));
    else
      for (size_t i = 0; i < s.count; ++i)
        for (size_t c = 0; c < n; ++c)
          values[i * n + c] = static_cast<float>(
              component(bytes.first + i * bytes.stride + c * size, s.componentType, s.normalized));
  }
  if (a.contains("sparse"))
    readSparse(asset, accessor, s, values);
  if (s.componentType == kFloat)
    requireFinite(asset, accessor, values, n, user);
  return values;
}

std::vector<std::uint32_t> readIndices(const GltfAsset& asset, size_t accessor,
                                       const std::string& user) {
  const AccessorShape s = shapeOf(asset, accessor, user);
  const std::string place = at("accessors", accessor);
  if (s.components != 1 || s.normalized ||
      (s.componentType != kUnsignedByte && s.componentType != kUnsignedShort &&
       s.componentType != kUnsignedInt))
    fail(asset, place,
         "indices (" + user +
             ") must be SCALAR unsigned bytes, shorts or ints, "
             "not normalized");
  const GltfJson& a = topArray(asset, "accessors")[accessor];
  std::vector<std::uint32_t> out(static_cast<size_t>(s.count), 0);
  const long view = indexMember(asset, a, "bufferView", place, "bufferViews", false);
  if (view >= 0) {
    const size_t size = componentSize(s.componentType);
    const ByteRange bytes = viewRange(asset, static_cast<size_t>(view),
                                      unsignedMember(asset, a, "byteOffset", place, false), s.count,
                                      size, size, true, place);
    for (size_t i = 0; i < s.count; ++i)
      out[i] = static_cast<std::uint32_t>(
          component(bytes.first + i * bytes.stride, s.componentType, false));
  }
  if (a.contains("sparse")) {
    std::vector<float> values(out.begin(), out.end());
    // Sparse indices are rare; route them through the float path only when the values fit.
    if (s.componentType == kUnsignedInt)
      fail(asset, place + ".sparse", "sparse substitution of 32-bit indices is not supported");
    readSparse(asset, accessor, s, values);
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<std::uint32_t>(values[i]);
  }
  return out;
}

} // namespace runner
