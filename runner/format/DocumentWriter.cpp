// Writing document files. The readable layout writes one line per vertex and face with the
// shortest decimal text that reads back as the same single-precision value; the block layouts
// write every numeric array as little-endian 32-bit values.
#include "AtomicFile.h"
#include "Base64.h"
#include "DocumentFile.h"
#include "NumberBlocks.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace runner {

namespace {

// Above this many numbers a document is written in the side-file layout by default.
const size_t kReadableLimit = 2000000;

std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The shortest text that the reader (strtod, then rounding to float) turns back into exactly
// this value; false for values JSON cannot hold.
bool floatText(float value, char* text, size_t size) {
  if (!std::isfinite(value))
    return false;
  if (value == 0.0f) {
    std::snprintf(text, size, "%s", std::signbit(value) ? "-0.0" : "0");
    return true;
  }
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(text, size, "%.*g", digits, static_cast<double>(value));
    const float back = static_cast<float>(std::strtod(text, nullptr));
    if (std::memcmp(&back, &value, sizeof value) == 0)
      break;
  }
  return true;
}

void appendNumber(std::string& out, float value) {
  char text[32];
  floatText(value, text, sizeof text);
  out += text;
}
void appendNumber(std::string& out, std::int32_t value) {
  out += std::to_string(value);
}
void appendNumber(std::string& out, std::uint32_t value) {
  out += std::to_string(value);
}

bool allFinite(const std::vector<float>& values) {
  for (float v : values)
    if (!std::isfinite(v))
      return false;
  return true;
}
template <typename T> bool allFinite(const std::vector<T>&) {
  return true;
}

class Writer {
public:
  Writer(DataLayout layout, std::ostream* side) : layout_(layout), side_(side) {}

  std::string text;
  std::uint64_t sideBytes = 0;

  // A numeric array under key, at the given indent; rows: the length of each line in the
  // readable layout (empty: a flat list).
  template <typename T>
  void column(const char* key, const std::vector<T>& values, const std::vector<size_t>& rows,
              const std::string& indent, bool last) {
    text += indent + "\"" + key + "\": ";
    if (layout_ == DataLayout::Readable && allFinite(values))
      readable(values, rows, indent);
    else
      block(values, layout_ == DataLayout::SideFile);
    text += last ? "\n" : ",\n";
  }

private:
  template <typename T>
  void readable(const std::vector<T>& values, const std::vector<size_t>& rows,
                const std::string& indent) {
    if (values.empty() && rows.empty()) {
      text += "[]";
      return;
    }
    text += "[\n";
    const std::string inner = indent + "  ";
    size_t k = 0;
    if (rows.empty()) {
      for (size_t i = 0; i < values.size(); ++i) {
        text += i % 16 == 0 ? inner : " ";
        appendNumber(text, values[i]);
        text += i + 1 == values.size() ? "\n" : i % 16 == 15 ? ",\n" : ",";
      }
    } else {
      for (size_t r = 0; r < rows.size(); ++r) {
        text += inner + "[";
        for (size_t i = 0; i < rows[r]; ++i, ++k) {
          if (i)
            text += ", ";
          appendNumber(text, values[k]);
        }
        text += r + 1 == rows.size() ? "]\n" : "],\n";
      }
    }
    text += indent + "]";
  }

  template <typename T> void block(const std::vector<T>& values, bool toSideFile) {
    std::vector<std::uint8_t> bytes;
    appendLittleEndian(bytes, values.data(), values.size());
    text += std::string("{\"type\": \"") + blockTypeName<T>() +
            "\", \"count\": " + std::to_string(values.size());
    if (toSideFile) {
      text += ", \"offset\": " + std::to_string(sideBytes) + "}";
      side_->write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
      sideBytes += bytes.size();
    } else {
      text += ", \"base64\": \"" + encodeBase64(bytes.data(), bytes.size()) + "\"}";
    }
  }

  DataLayout layout_;
  std::ostream* side_;
};

void writeVertices(Writer& w, const sim::Object& object, bool lastKey) {
  const size_t n = object.positions.size();
  std::vector<float> positions(n * 3), weights(n);
  std::vector<std::uint32_t> ids(n);
  bool defaultIds = true, defaultWeights = true;
  for (size_t i = 0; i < n; ++i) {
    const MQPoint& p = object.positions[i];
    positions[i * 3] = p.x;
    positions[i * 3 + 1] = p.y;
    positions[i * 3 + 2] = p.z;
    ids[i] = object.vertexIds[i];
    weights[i] = object.weights[i];
    defaultIds = defaultIds && ids[i] == i + 1;
    const float one = 1.0f;
    defaultWeights = defaultWeights && std::memcmp(&weights[i], &one, sizeof one) == 0;
  }
  const std::vector<int> selected(object.selectedVertices.begin(), object.selectedVertices.end());
  const std::string in = "      ";
  w.text += "    \"vertices\": {\n";
  const bool more = !defaultIds || !defaultWeights || !selected.empty();
  w.column("positions", positions, std::vector<size_t>(n, 3), in, !more);
  if (!defaultIds)
    w.column("uniqueIds", ids, {}, in, defaultWeights && selected.empty());
  if (!defaultWeights)
    w.column("weights", weights, {}, in, selected.empty());
  if (!selected.empty())
    w.column("selected", std::vector<std::int32_t>(selected.begin(), selected.end()), {}, in, true);
  w.text += lastKey ? "    }\n" : "    },\n";
}

void writeFaces(Writer& w, const sim::Object& object, bool readable) {
  const size_t m = static_cast<size_t>(object.faceCount());
  std::vector<std::int32_t> points, sizes(m), materials(m);
  std::vector<std::uint32_t> ids(m);
  std::vector<float> uvs, creases;
  std::vector<size_t> pointRows(m), uvRows(m);
  bool defaultIds = true, defaultMaterials = true, zeroUvs = true, zeroCreases = true;
  for (size_t f = 0; f < m; ++f) {
    const int face = static_cast<int>(f);
    const size_t size = static_cast<size_t>(object.facePointCount(face));
    sizes[f] = static_cast<std::int32_t>(size);
    pointRows[f] = size;
    uvRows[f] = size * 2;
    ids[f] = object.faceIds[f];
    materials[f] = object.materials[f];
    defaultIds = defaultIds && ids[f] == f + 1;
    defaultMaterials = defaultMaterials && materials[f] == -1;
    for (size_t i = 0; i < size; ++i) {
      points.push_back(object.facePoints(face)[i]);
      const MQCoordinate uv = object.faceUvs(face)[i];
      const float crease = object.faceCreases(face)[i];
      uvs.push_back(uv.u);
      uvs.push_back(uv.v);
      creases.push_back(crease);
      std::uint32_t bits[3];
      std::memcpy(&bits[0], &uv.u, 4);
      std::memcpy(&bits[1], &uv.v, 4);
      std::memcpy(&bits[2], &crease, 4);
      zeroUvs = zeroUvs && bits[0] == 0 && bits[1] == 0;
      zeroCreases = zeroCreases && bits[2] == 0;
    }
  }
  const std::vector<int> selected(object.selectedFaces.begin(), object.selectedFaces.end());
  const std::string in = "      ";
  w.text += "    \"faces\": {\n";
  // Remaining keys decide where the last comma goes.
  int remaining = 1 + !defaultIds + !defaultMaterials + !zeroUvs + !zeroCreases + !selected.empty();
  if (!readable) {
    w.column("sizes", sizes, {}, in, false);
    w.column("points", points, {}, in, --remaining == 0);
  } else {
    w.column("points", points, pointRows, in, --remaining == 0);
  }
  if (!defaultIds)
    w.column("uniqueIds", ids, {}, in, --remaining == 0);
  if (!defaultMaterials)
    w.column("materials", materials, {}, in, --remaining == 0);
  if (!zeroUvs)
    w.column("uvs", uvs, readable ? uvRows : std::vector<size_t>(), in, --remaining == 0);
  if (!zeroCreases)
    w.column("creases", creases, readable ? pointRows : std::vector<size_t>(), in,
             --remaining == 0);
  if (!selected.empty())
    w.column("selected", std::vector<std::int32_t>(selected.begin(), selected.end()), {}, in,
             --remaining == 0);
  w.text += "    }\n";
}

std::string flagText(std::uint32_t value, std::uint32_t whenTrue) {
  if (value == 0)
    return "false";
  return value == whenTrue ? "true" : std::to_string(value);
}

void writeObject(Writer& w, const sim::Object& object, bool readable) {
  w.text +=
      "    \"name\": " +
      nlohmann::json(object.name).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
      ",\n";
  w.text += "    \"depth\": " + std::to_string(object.depth) + ",\n";
  w.text += "    \"locked\": " + flagText(static_cast<std::uint32_t>(object.locked), 1) + ",\n";
  w.text += "    \"selected\": " + flagText(static_cast<std::uint32_t>(object.selected), 1) + ",\n";
  const bool hasVertices = !object.positions.empty(), hasFaces = object.faceCount() > 0;
  w.text += "    \"visible\": " + flagText(object.visible, 0xFFFFFFFFu) +
            (hasVertices || hasFaces ? ",\n" : "\n");
  if (hasVertices)
    writeVertices(w, object, !hasFaces);
  if (hasFaces)
    writeFaces(w, object, readable);
}

DataLayout resolve(DataLayout layout, const sim::Document& document) {
  if (layout != DataLayout::Automatic)
    return layout;
  size_t numbers = 0;
  for (const sim::Object* object : document.objects()) {
    numbers += object->positions.size() * 3 + object->points.size() * 4;
  }
  return numbers <= kReadableLimit ? DataLayout::Readable : DataLayout::SideFile;
}

} // namespace

std::string sideFileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? path.substr(0, dot) : path) + ".bin";
}

void writeDocument(const std::string& path, const sim::Document& document, DataLayout layout) {
  layout = resolve(layout, document);
  const bool readable = layout == DataLayout::Readable;
  AtomicFile json(path);
  AtomicFile side(sideFileName(path));
  if (!json.open())
    throw DocumentError(path + ": cannot create the file (is the folder there and writable?)");
  if (layout == DataLayout::SideFile && !side.open())
    throw DocumentError(side.target() + ": cannot create the file");
  Writer w(layout, &side.stream());
  std::string objects;
  for (int s = 0; s < document.slotCount(); ++s) {
    const sim::Object* object = document.objectAt(s);
    const bool last = s + 1 == document.slotCount();
    if (!object) {
      w.text += last ? "    null\n" : "    null,\n";
      continue;
    }
    w.text += "    {\n";
    // Object members are indented one level deeper than the objects array.
    const size_t start = w.text.size();
    writeObject(w, *object, readable);
    std::string body = w.text.substr(start);
    w.text.resize(start);
    for (size_t i = 0; i < body.size(); ++i) {
      if (i == 0 || body[i - 1] == '\n')
        w.text += "  ";
      w.text += body[i];
    }
    w.text += last ? "    }\n" : "    },\n";
  }
  std::string head = "{\n  \"format\": \"tovalinder-document\",\n  \"version\": 1,\n";
  if (layout == DataLayout::SideFile)
    head += "  \"binary\": {\"file\": " +
            nlohmann::json(baseName(side.target()))
                .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
            ", \"bytes\": " + std::to_string(w.sideBytes) + "},\n";
  head += "  \"objects\": [\n";
  json.stream() << head << w.text << "  ]\n}\n";
  if (layout == DataLayout::SideFile && !side.commit())
    throw DocumentError(side.target() + ": could not write the file (disk full?)");
  if (!json.commit())
    throw DocumentError(path + ": could not write the file (disk full?)");
}

} // namespace runner
