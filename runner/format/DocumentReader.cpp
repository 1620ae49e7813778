// Reading document files: every fault is reported with the file, the JSON path and, where it
// helps, the object's name and the vertex or face index.
#include "Base64.h"
#include "DocumentFile.h"
#include "NumberBlocks.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>

namespace runner {

using Json = nlohmann::json;

namespace {

const int kFormatVersion = 1;
const size_t kLongestName = 249; // the host exchanges names through 250-byte buffers

std::string directoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// "1 vertex", "3 vertices", "2 faces".
std::string counted(size_t count, const std::string& what) {
  const std::string many = what == "vertex" ? "vertices" : what + "s";
  return std::to_string(count) + " " + (count == 1 ? what : many);
}

std::string at(const std::string& place, size_t index) {
  return place + "[" + std::to_string(index) + "]";
}

bool toNumber(const Json& v, float& out) {
  if (!v.is_number())
    return false;
  // Up to half a unit above the largest float a value still rounds to it.
  const double limit = 3.4028235677973366e+38;
  const double d = v.get<double>();
  if (!(std::fabs(d) < limit))
    return false;
  out = static_cast<float>(d);
  return true;
}

bool toNumber(const Json& v, std::int32_t& out) {
  if (v.is_number_unsigned()) {
    if (v.get<std::uint64_t>() > static_cast<std::uint64_t>(INT32_MAX))
      return false;
  } else if (!v.is_number_integer()) {
    return false;
  }
  const std::int64_t n = v.get<std::int64_t>();
  if (n < INT32_MIN || n > INT32_MAX)
    return false;
  out = static_cast<std::int32_t>(n);
  return true;
}

bool toNumber(const Json& v, std::uint32_t& out) {
  if (!v.is_number_integer() || (!v.is_number_unsigned() && v.get<std::int64_t>() < 0) ||
      v.get<std::uint64_t>() > UINT32_MAX)
    return false;
  out = static_cast<std::uint32_t>(v.get<std::uint64_t>());
  return true;
}

template <typename T> const char* numberKind();
template <> const char* numberKind<float>() {
  return "a number within single-precision range";
}
template <> const char* numberKind<std::int32_t>() {
  return "a 32-bit integer";
}
template <> const char* numberKind<std::uint32_t>() {
  return "an unsigned 32-bit integer";
}

std::string describeJson(const Json& v) {
  std::string text = v.dump();
  if (text.size() > 40)
    text = text.substr(0, 37) + "...";
  return text;
}

// A numeric array as read: flat values, and the row lengths when it was an array of arrays.
template <typename T> struct Column {
  std::vector<T> values;
  std::vector<int> rows;
  bool nested = false;
};

class Reader {
public:
  explicit Reader(std::string path) : path_(std::move(path)) {}

  void read(sim::Document& document);

private:
  [[noreturn]] void fail(const std::string& place, const std::string& what) const {
    throw DocumentError(path_ + ": " + (place.empty() ? "" : place + ": ") + what);
  }

  void checkKeys(const Json& object, const std::string& place,
                 std::initializer_list<const char*> known) const;
  const Json* member(const Json& object, const char* key) const {
    auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
  }
  int integer(const Json& object, const char* key, const std::string& place, int fallback) const;
  std::uint32_t flag(const Json& object, const char* key, const std::string& place,
                     std::uint32_t whenTrue, std::uint32_t fallback) const;

  template <typename T> Column<T> column(const Json& v, const std::string& place);
  template <typename T> void block(const Json& v, const std::string& place, std::vector<T>& out);
  template <typename T>
  std::vector<T> flatColumn(const Json& v, const std::string& place, size_t expected,
                            const char* per);
  std::vector<std::uint32_t> uniqueIds(const Json& v, const std::string& place, size_t count,
                                       const char* per);
  std::vector<int> indexList(const Json& v, const std::string& place, size_t count,
                             const char* what);

  void readObject(const Json& o, const std::string& place, sim::Document& document);
  void readVertices(const Json& v, const std::string& place, sim::Object& object);
  void readFaces(const Json& v, const std::string& place, sim::Object& object);

  std::string path_;
  std::string sideFile_;
  std::ifstream side_;
  std::uint64_t sideSize_ = 0;
};

void Reader::checkKeys(const Json& object, const std::string& place,
                       std::initializer_list<const char*> known) const {
  for (auto it = object.begin(); it != object.end(); ++it)
    if (std::none_of(known.begin(), known.end(), [&](const char* k) { return it.key() == k; }))
      fail(place, "unknown key \"" + it.key() + "\"");
}

int Reader::integer(const Json& object, const char* key, const std::string& place,
                    int fallback) const {
  const Json* v = member(object, key);
  std::int32_t n = fallback;
  if (v && !toNumber(*v, n))
    fail(place + "." + key, "expected a 32-bit integer, found " + describeJson(*v));
  return n;
}

std::uint32_t Reader::flag(const Json& object, const char* key, const std::string& place,
                           std::uint32_t whenTrue, std::uint32_t fallback) const {
  const Json* v = member(object, key);
  if (!v)
    return fallback;
  if (v->is_boolean())
    return v->get<bool>() ? whenTrue : 0;
  std::uint32_t n = 0;
  if (!toNumber(*v, n))
    fail(place + "." + key,
         "expected true, false or an unsigned integer, found " + describeJson(*v));
  return n;
}

template <typename T>
void Reader::block(const Json& v, const std::string& place, std::vector<T>& out) {
  checkKeys(v, place, {"type", "count", "base64", "offset"});
  const Json* type = member(v, "type");
  if (!type || !type->is_string())
    fail(place, std::string("a data block needs \"type\": \"") + blockTypeName<T>() + "\"");
  if (type->get<std::string>() != blockTypeName<T>())
    fail(place + ".type", std::string("this array holds ") + blockTypeName<T>() +
                              " values, not \"" + type->get<std::string>() + "\"");
  const Json* count = member(v, "count");
  std::uint32_t n = 0;
  if (!count || !toNumber(*count, n))
    fail(place + ".count", "a data block needs its value count as an unsigned integer");
  const std::uint64_t bytes = std::uint64_t{n} * 4;
  const Json* inline64 = member(v, "base64");
  const Json* offset = member(v, "offset");
  if ((inline64 != nullptr) == (offset != nullptr))
    fail(place, "a data block needs either \"base64\" or \"offset\"");
  std::vector<std::uint8_t> data;
  if (inline64) {
    if (!inline64->is_string() || !decodeBase64(inline64->get_ref<const std::string&>(), data))
      fail(place + ".base64", "not valid base64");
    if (data.size() != bytes)
      fail(place + ".base64", "holds " + std::to_string(data.size()) + " bytes, but " +
                                  std::to_string(n) + " values need " + std::to_string(bytes));
  } else {
    if (sideFile_.empty())
      fail(place + ".offset", "the document names no \"binary\" file to read blocks from");
    if (!offset->is_number_unsigned() && !(offset->is_number_integer() && *offset == 0))
      fail(place + ".offset", "expected a byte offset, found " + describeJson(*offset));
    const std::uint64_t start = offset->get<std::uint64_t>();
    if (start > sideSize_ || sideSize_ - start < bytes)
      fail(place, "needs bytes " + std::to_string(start) + ".." + std::to_string(start + bytes) +
                      " of " + sideFile_ + ", which has " + std::to_string(sideSize_) + " bytes");
    data.resize(static_cast<size_t>(bytes));
    side_.clear();
    side_.seekg(static_cast<std::streamoff>(start));
    side_.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(bytes));
    if (!side_)
      fail(place, "could not read " + sideFile_);
  }
  out.resize(n);
  readLittleEndian(data.data(), n, out.data());
}

template <typename T> Column<T> Reader::column(const Json& v, const std::string& place) {
  Column<T> c;
  if (v.is_object()) {
    block(v, place, c.values);
    return c;
  }
  if (!v.is_array())
    fail(place, "expected an array of numbers or a data block, found " + describeJson(v));
  c.nested = !v.empty() && v.front().is_array();
  c.values.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    const Json& entry = v[i];
    T value{};
    if (!c.nested) {
      if (!toNumber(entry, value))
        fail(at(place, i),
             std::string("expected ") + numberKind<T>() + ", found " + describeJson(entry));
      c.values.push_back(value);
      continue;
    }
    if (!entry.is_array())
      fail(at(place, i),
           "expected an array like the entries before it, found " + describeJson(entry));
    for (size_t j = 0; j < entry.size(); ++j) {
      if (!toNumber(entry[j], value))
        fail(at(at(place, i), j),
             std::string("expected ") + numberKind<T>() + ", found " + describeJson(entry[j]));
      c.values.push_back(value);
    }
    c.rows.push_back(static_cast<int>(entry.size()));
  }
  return c;
}

template <typename T>
std::vector<T> Reader::flatColumn(const Json& v, const std::string& place, size_t expected,
                                  const char* per) {
  Column<T> c = column<T>(v, place);
  if (c.nested)
    fail(place, std::string("expected one number per ") + per + ", not an array of arrays");
  if (c.values.size() != expected)
    fail(place,
         "has " + std::to_string(c.values.size()) + " entries for " + counted(expected, per));
  return std::move(c.values);
}

std::vector<std::uint32_t> Reader::uniqueIds(const Json& v, const std::string& place, size_t count,
                                             const char* per) {
  std::vector<std::uint32_t> ids = flatColumn<std::uint32_t>(v, place, count, per);
  std::vector<std::pair<std::uint32_t, size_t>> sorted;
  sorted.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (ids[i] == 0)
      fail(at(place, i), "unique ID 0: unique IDs are positive");
    sorted.emplace_back(ids[i], i);
  }
  std::sort(sorted.begin(), sorted.end());
  for (size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i].first == sorted[i - 1].first)
      fail(at(place, sorted[i].second), "duplicate unique ID " + std::to_string(sorted[i].first) +
                                            ", already the ID of " + per + " " +
                                            std::to_string(sorted[i - 1].second));
  return ids;
}

std::vector<int> Reader::indexList(const Json& v, const std::string& place, size_t count,
                                   const char* what) {
  Column<std::int32_t> c = column<std::int32_t>(v, place);
  if (c.nested)
    fail(place, std::string("expected a flat list of ") + what + " indices");
  for (size_t i = 0; i < c.values.size(); ++i)
    if (c.values[i] < 0 || static_cast<size_t>(c.values[i]) >= count)
      fail(at(place, i), std::string(what) + " " + std::to_string(c.values[i]) +
                             " does not exist: the object has " + counted(count, what));
  return std::vector<int>(c.values.begin(), c.values.end());
}

void Reader::readVertices(const Json& v, const std::string& place, sim::Object& object) {
  if (!v.is_object())
    fail(place, "expected an object with \"positions\"");
  checkKeys(v, place, {"positions", "uniqueIds", "weights", "selected"});
  const Json* positions = member(v, "positions");
  if (!positions)
    fail(place, "\"positions\" is missing");
  Column<float> p = column<float>(*positions, place + ".positions");
  if (p.nested) {
    for (size_t i = 0; i < p.rows.size(); ++i)
      if (p.rows[i] != 3)
        fail(at(place + ".positions", i),
             "expected 3 numbers (x, y, z), found " + std::to_string(p.rows[i]));
  } else if (p.values.size() % 3 != 0) {
    fail(place + ".positions",
         "holds " + std::to_string(p.values.size()) + " numbers, not a multiple of 3 (x, y, z)");
  }
  const size_t n = p.values.size() / 3;
  object.positions.resize(n);
  object.vertexIds.resize(n);
  object.weights.assign(n, 1.0f);
  for (size_t i = 0; i < n; ++i) {
    object.positions[i] = MQPoint{p.values[i * 3], p.values[i * 3 + 1], p.values[i * 3 + 2]};
    object.vertexIds[i] = static_cast<MQDWORD>(i + 1);
  }
  object.nextVertexUniqueId = static_cast<MQDWORD>(n + 1);
  if (const Json* ids = member(v, "uniqueIds")) {
    const auto values = uniqueIds(*ids, place + ".uniqueIds", n, "vertex");
    for (size_t i = 0; i < n; ++i) {
      object.vertexIds[i] = values[i];
      object.nextVertexUniqueId = std::max(object.nextVertexUniqueId, values[i] + 1);
    }
  }
  if (const Json* weights = member(v, "weights")) {
    const auto values = flatColumn<float>(*weights, place + ".weights", n, "vertex");
    for (size_t i = 0; i < n; ++i)
      object.weights[i] = values[i];
  }
  if (const Json* selected = member(v, "selected"))
    for (int index : indexList(*selected, place + ".selected", n, "vertex"))
      object.selectedVertices.insert(index);
}

void Reader::readFaces(const Json& v, const std::string& place, sim::Object& object) {
  if (!v.is_object())
    fail(place, "expected an object with \"points\"");
  checkKeys(v, place, {"points", "sizes", "uniqueIds", "materials", "uvs", "creases", "selected"});
  const Json* pointsJson = member(v, "points");
  if (!pointsJson)
    fail(place, "\"points\" is missing");
  const std::string pointsPlace = place + ".points";
  Column<std::int32_t> points = column<std::int32_t>(*pointsJson, pointsPlace);
  std::vector<int> sizes;
  const Json* sizesJson = member(v, "sizes");
  if (points.nested || (!sizesJson && points.values.empty())) {
    if (sizesJson)
      fail(place + ".sizes", "give either \"sizes\" with flat \"points\" or nested \"points\"");
    sizes = points.rows;
  } else {
    if (!sizesJson)
      fail(place, "flat \"points\" need \"sizes\" (the number of points of each face)");
    Column<std::int32_t> s = column<std::int32_t>(*sizesJson, place + ".sizes");
    if (s.nested)
      fail(place + ".sizes", "expected one number per face");
    size_t total = 0;
    for (size_t f = 0; f < s.values.size(); ++f) {
      if (s.values[f] < 0)
        fail(at(place + ".sizes", f),
             "a face cannot have " + std::to_string(s.values[f]) + " points");
      total += static_cast<size_t>(s.values[f]);
    }
    if (total != points.values.size())
      fail(place + ".sizes", "the sizes add up to " + std::to_string(total) + " points, but " +
                                 pointsPlace + " holds " + std::to_string(points.values.size()));
    sizes.assign(s.values.begin(), s.values.end());
  }
  const size_t faceCount = sizes.size();
  const size_t vertexCount = object.positions.size();
  object.faceStart.assign(1, 0);
  object.faceStart.reserve(faceCount + 1);
  object.faceIds.resize(faceCount);
  object.materials.assign(faceCount, -1);
  size_t corner = 0;
  for (size_t f = 0; f < faceCount; ++f) {
    const size_t size = static_cast<size_t>(sizes[f]);
    for (size_t c = 0; c < size; ++c) {
      const std::int32_t p = points.values[corner + c];
      if (p < 0 || static_cast<size_t>(p) >= vertexCount)
        fail(points.nested ? at(at(pointsPlace, f), c) : at(pointsPlace, corner + c),
             "face " + std::to_string(f) + " uses vertex " + std::to_string(p) +
                 ", but the object has " + std::to_string(vertexCount) + " vertices");
    }
    object.faceIds[f] = static_cast<MQDWORD>(f + 1);
    corner += size;
    object.faceStart.push_back(corner);
  }
  object.points.assign(points.values.begin(), points.values.end());
  object.nextFaceUniqueId = static_cast<MQDWORD>(faceCount + 1);
  const size_t corners = corner;
  object.uvs.assign(corners, MQCoordinate{0, 0});
  object.creases.assign(corners, 0.0f);

  if (const Json* ids = member(v, "uniqueIds")) {
    const auto values = uniqueIds(*ids, place + ".uniqueIds", faceCount, "face");
    for (size_t f = 0; f < faceCount; ++f) {
      object.faceIds[f] = values[f];
      object.nextFaceUniqueId = std::max(object.nextFaceUniqueId, values[f] + 1);
    }
  }
  if (const Json* materials = member(v, "materials")) {
    const auto values =
        flatColumn<std::int32_t>(*materials, place + ".materials", faceCount, "face");
    for (size_t f = 0; f < faceCount; ++f) {
      if (values[f] < -1)
        fail(at(place + ".materials", f),
             "material " + std::to_string(values[f]) + ": use -1 for none or an index from 0");
      object.materials[f] = values[f];
    }
  }
  // UVs and creases: per face (array of arrays sized by the face) or flat over all corners.
  auto perCorner = [&](const char* key, size_t perPoint, const char* what, auto&& store) {
    const Json* json = member(v, key);
    if (!json)
      return;
    const std::string at0 = place + "." + key;
    Column<float> c = column<float>(*json, at0);
    if (c.nested) {
      if (c.rows.size() != faceCount)
        fail(at0, "has " + std::to_string(c.rows.size()) + " entries for " +
                      std::to_string(faceCount) + " faces");
      for (size_t f = 0; f < faceCount; ++f) {
        const size_t size = static_cast<size_t>(sizes[f]);
        if (static_cast<size_t>(c.rows[f]) != perPoint * size)
          fail(at(at0, f), "face " + std::to_string(f) + " has " + std::to_string(size) +
                               " points, so expected " + std::to_string(perPoint * size) +
                               " numbers (" + what + "), found " + std::to_string(c.rows[f]));
      }
    } else if (c.values.size() != perPoint * corners) {
      fail(at0, "holds " + std::to_string(c.values.size()) + " numbers, but the faces have " +
                    std::to_string(corners) + " points in all (" + what + ")");
    }
    for (size_t k = 0; k < corners; ++k)
      store(k, &c.values[k * perPoint]);
  };
  perCorner("uvs", 2, "u and v of each point", [&](size_t k, const float* x) {
    object.uvs[k] = MQCoordinate{x[0], x[1]};
  });
  perCorner("creases", 1, "one per edge",
            [&](size_t k, const float* x) { object.creases[k] = x[0]; });
  if (const Json* selected = member(v, "selected"))
    for (int index : indexList(*selected, place + ".selected", faceCount, "face"))
      object.selectedFaces.insert(index);
}

void Reader::readObject(const Json& o, const std::string& place, sim::Document& document) {
  if (o.is_null()) {
    document.addEmptySlot();
    return;
  }
  if (!o.is_object())
    fail(place, "expected an object or null (an empty slot), found " + describeJson(o));
  checkKeys(o, place, {"name", "depth", "locked", "selected", "visible", "vertices", "faces"});
  std::string name;
  if (const Json* n = member(o, "name")) {
    if (!n->is_string())
      fail(place + ".name", "expected a text, found " + describeJson(*n));
    name = n->get<std::string>();
    if (name.size() > kLongestName)
      fail(place + ".name", "is " + std::to_string(name.size()) +
                                " bytes long; the host keeps names of at most " +
                                std::to_string(kLongestName) + " bytes");
    if (name.find('\0') != std::string::npos)
      fail(place + ".name", "contains a NUL character");
  }
  const std::string named = place + " (\"" + name + "\")";
  sim::Object* object = document.addObject(name);
  object->depth = integer(o, "depth", named, 0);
  object->locked = static_cast<int>(flag(o, "locked", named, 1, 0));
  object->selected = static_cast<int>(flag(o, "selected", named, 1, 0));
  object->visible = flag(o, "visible", named, 0xFFFFFFFFu, 0xFFFFFFFFu);
  if (const Json* vertices = member(o, "vertices"))
    readVertices(*vertices, named + ".vertices", *object);
  if (const Json* faces = member(o, "faces"))
    readFaces(*faces, named + ".faces", *object);
  object->invalidateCaches();
}

void Reader::read(sim::Document& document) {
  std::ifstream in(path_, std::ios::binary);
  if (!in)
    fail("", std::string("cannot open the file: ") + std::strerror(errno));
  Json root;
  try {
    root = Json::parse(in);
  } catch (const Json::exception& e) {
    // Parse errors and numbers too large for a double alike: the file is not a document.
    std::string what = e.what();
    const size_t bracket = what.find("] ");
    fail("", "not valid JSON: " + (bracket == std::string::npos ? what : what.substr(bracket + 2)));
  }
  if (!root.is_object())
    fail("", "expected a JSON object at the top");
  const Json* format = member(root, "format");
  if (!format || *format != "tovalinder-document")
    fail("format", "expected \"tovalinder-document\": this is not a document file");
  const Json* version = member(root, "version");
  if (!version || !version->is_number_integer())
    fail("version", "missing or not an integer");
  if (*version != kFormatVersion)
    fail("version", "unsupported version " + version->dump() + " (this program reads version " +
                        std::to_string(kFormatVersion) + ")");
  checkKeys(root, "", {"format", "version", "description", "binary", "objects"});
  if (const Json* binary = member(root, "binary")) {
    const Json* file = binary->is_object() ? member(*binary, "file") : nullptr;
    const Json* bytes = binary->is_object() ? member(*binary, "bytes") : nullptr;
    if (!file || !file->is_string() || file->get<std::string>().empty() || !bytes ||
        !bytes->is_number_unsigned())
      fail("binary", "expected {\"file\": name of the binary file beside the document, "
                     "\"bytes\": its size}");
    checkKeys(*binary, "binary", {"file", "bytes"});
    sideFile_ = directoryOf(path_) + file->get<std::string>();
    side_.open(sideFile_, std::ios::binary | std::ios::ate);
    if (!side_)
      fail("binary", "cannot open " + sideFile_ + ": " + std::strerror(errno));
    sideSize_ = static_cast<std::uint64_t>(side_.tellg());
    if (sideSize_ != bytes->get<std::uint64_t>())
      fail("binary", sideFile_ + " has " + std::to_string(sideSize_) + " bytes, not the " +
                         bytes->dump() + " this document was written with");
  }
  const Json* objects = member(root, "objects");
  if (!objects || !objects->is_array())
    fail("objects", "expected an array of objects (null for an empty slot)");
  for (size_t i = 0; i < objects->size(); ++i)
    readObject((*objects)[i], at("objects", i), document);
}

} // namespace

void readDocument(const std::string& path, sim::Document& document) {
  Reader(path).read(document);
}

} // namespace runner
