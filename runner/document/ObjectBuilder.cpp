// Objects, vertices and data blocks of a document as read: checked and turned into host objects.
#include "ObjectBuilder.h"

#include "Base64.h"
#include "DocumentFile.h"
#include "NumberBlocks.h"
#include "transfer/ElementNaming.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace runner {

namespace {

const size_t kLongestName = 249; // the host exchanges names through 250-byte buffers
// Side-file data is read in pieces of this size, so that progress can be told.
const std::uint64_t kReadPiece = std::uint64_t{64} << 20;

static_assert(std::is_same<int, std::int32_t>::value, "corner and face arrays hold int32 values");
static_assert(sizeof(MQPoint) == 12 && sizeof(MQCoordinate) == 8, "points and UVs are packed");

// a + b in decimal, right even where the sum does not fit in 64 bits.
std::string decimalSum(std::uint64_t a, std::uint64_t b) {
  const std::string x = std::to_string(a), y = std::to_string(b);
  std::string sum;
  int carry = 0;
  for (size_t i = 0; i < std::max(x.size(), y.size()) || carry; ++i) {
    const int digit = carry + (i < x.size() ? x[x.size() - 1 - i] - '0' : 0) +
                      (i < y.size() ? y[y.size() - 1 - i] - '0' : 0);
    sum.insert(sum.begin(), static_cast<char>('0' + digit % 10));
    carry = digit / 10;
  }
  return sum;
}

// Whether some ID is given twice: a bitmap over the IDs' range where it is small, else a sort.
bool hasDuplicate(const std::vector<std::uint32_t>& ids) {
  const auto range = std::minmax_element(ids.begin(), ids.end());
  const std::uint64_t span = std::uint64_t{*range.second} - *range.first + 1;
  if (span / 64 > ids.size()) {
    std::vector<std::uint32_t> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
  }
  std::vector<std::uint64_t> seen(static_cast<size_t>(span / 64 + 1));
  for (std::uint32_t id : ids) {
    const std::uint64_t bit = id - *range.first;
    std::uint64_t& word = seen[static_cast<size_t>(bit / 64)];
    if (word & (std::uint64_t{1} << (bit % 64)))
      return true;
    word |= std::uint64_t{1} << (bit % 64);
  }
  return false;
}

} // namespace

std::string counted(size_t count, const std::string& what) {
  const std::string many = what == "vertex" ? "vertices" : what + "s";
  return std::to_string(count) + " " + (count == 1 ? what : many);
}

std::string at(const std::string& place, size_t index) {
  return place + "[" + std::to_string(index) + "]";
}

bool RawObject::usesSideFile() const {
  auto offset = [](const ColumnShape& c) { return c.isBlock && c.block.offset.present(); };
  return offset(positions) || offset(weights) || offset(vertexIds) || offset(selectedVertices) ||
         offset(points) || offset(sizes) || offset(materials) || offset(selectedFaces) ||
         offset(faceIds) || offset(uvs) || offset(creases);
}

void ObjectBuilder::fail(const std::string& place, const std::string& what) const {
  throw FileError(path_ + ": " + (place.empty() ? "" : place + ": ") + what);
}

std::uint32_t ObjectBuilder::blockCount(const BlockHeader& header, const std::string& place,
                                        const char* type) const {
  if (header.type.kind != ValueKind::Text)
    fail(place, std::string("a data block needs \"type\": \"") + type + "\"");
  if (header.type.text != type)
    fail(place + ".type", std::string("this array holds ") + type + " values, not " +
                              quotedText(header.type.text, 40));
  std::uint32_t count = 0;
  if (!header.count.isInteger() || !toNumber(header.count, count))
    fail(place + ".count", "a data block needs its value count as an unsigned integer");
  if (header.base64.present() == header.offset.present())
    fail(place, "a data block needs either \"base64\" or \"offset\"");
  return count;
}

// Checks that the file holds the block's data before any memory is taken for it.
void ObjectBuilder::checkBlockData(const BlockHeader& header, const std::string& place,
                                   std::uint32_t count, std::uint64_t bytes) const {
  if (header.base64.present()) {
    size_t size = 0;
    if (header.base64.kind != ValueKind::Text || !base64Size(header.base64.text, size))
      fail(place + ".base64", "not valid base64");
    if (size != bytes && !decodeBase64(header.base64.text, nullptr))
      fail(place + ".base64", "not valid base64");
    if (size != bytes)
      fail(place + ".base64", "holds " + std::to_string(size) + " bytes, but " +
                                  std::to_string(count) + " values need " + std::to_string(bytes));
    return;
  }
  if (!side_.open)
    fail(place + ".offset", "the document names no \"binary\" file to read blocks from");
  if (header.offset.kind != ValueKind::Unsigned &&
      !(header.offset.kind == ValueKind::Negative && header.offset.number.negative == 0))
    fail(place + ".offset", "expected a byte offset, found " + describe(header.offset));
  const std::uint64_t start = header.offset.number.unsigned_;
  if (start > side_.size || side_.size - start < bytes)
    fail(place, "needs bytes " + std::to_string(start) + ".." + decimalSum(start, bytes) + " of " +
                    side_.shownName + ", which has " + std::to_string(side_.size) + " bytes");
}

void ObjectBuilder::fillBlock(const BlockHeader& header, const std::string& place, void* out,
                              std::uint64_t bytes) {
  if (header.base64.present()) {
    if (!decodeBase64(header.base64.text, static_cast<std::uint8_t*>(out)))
      fail(place + ".base64", "not valid base64");
    return;
  }
  const std::uint64_t start = header.offset.number.unsigned_;
  const bool readBefore = !blocksRead_.emplace(start, bytes).second;
  for (std::uint64_t done = 0; done < bytes;) {
    const std::uint64_t piece = std::min(kReadPiece, bytes - done);
    std::string why;
    if (!side_.file.readAt(start + done, static_cast<char*>(out) + done, static_cast<size_t>(piece),
                           why))
      fail(place, "could not read " + side_.shownName + ": " + why);
    done += piece;
    if (readBefore)
      continue;
    sideBytesRead_ = std::min(side_.size, sideBytesRead_ + piece);
    if (progress_)
      progress_(sideBytesRead_);
  }
}

template <typename Record>
void ObjectBuilder::blockInto(const BlockHeader& header, const std::string& place,
                              std::uint32_t count, std::vector<Record>& out) {
  static_assert(sizeof(Record) % sizeof(float) == 0, "records of floats");
  const std::uint64_t bytes = std::uint64_t{count} * 4;
  checkBlockData(header, place, count, bytes);
  out.resize(count / (sizeof(Record) / sizeof(float)));
  fillBlock(header, place, out.data(), bytes);
}

template void ObjectBuilder::blockInto(const BlockHeader&, const std::string&, std::uint32_t,
                                       std::vector<MQPoint>&);
template void ObjectBuilder::blockInto(const BlockHeader&, const std::string&, std::uint32_t,
                                       std::vector<MQCoordinate>&);

template <typename T>
void ObjectBuilder::block(const BlockHeader& header, const std::string& place,
                          std::vector<T>& out) {
  const std::uint32_t count = blockCount(header, place, blockTypeName<T>());
  const std::uint64_t bytes = std::uint64_t{count} * 4;
  checkBlockData(header, place, count, bytes);
  out.resize(count);
  fillBlock(header, place, out.data(), bytes);
}

template <typename T>
ObjectBuilder::Column<T> ObjectBuilder::take(RawColumn<T>& raw, const std::string& place) {
  Column<T> c;
  if (raw.isBlock)
    block(raw.block, place, c.values);
  else
    c.values = std::move(raw.values);
  c.rows = std::move(raw.rows);
  c.nested = raw.nested;
  return c;
}

template <typename T>
std::vector<T> ObjectBuilder::flatColumn(RawColumn<T>& raw, const std::string& place,
                                         size_t expected, const char* per) {
  Column<T> c = take(raw, place);
  if (c.nested)
    fail(place, std::string("expected one number per ") + per + ", not an array of arrays");
  if (c.values.size() != expected)
    fail(place,
         "has " + std::to_string(c.values.size()) + " entries for " + counted(expected, per));
  return std::move(c.values);
}

std::vector<std::uint32_t> ObjectBuilder::uniqueIds(RawColumn<std::uint32_t>& raw,
                                                    const std::string& place, size_t count,
                                                    const char* per) {
  std::vector<std::uint32_t> ids = flatColumn(raw, place, count, per);
  bool ascending = true;
  for (size_t i = 0; i < count; ++i) {
    if (ids[i] == 0)
      fail(at(place, i), "unique ID 0: unique IDs are positive");
    if (ids[i] == UINT32_MAX) // the host's counter for new IDs must stay above every one
      fail(at(place, i), "unique ID 4294967295 leaves no ID for a new " + std::string(per) +
                             ": unique IDs go up to 4294967294");
    ascending = ascending && (i == 0 || ids[i - 1] < ids[i]);
  }
  if (ascending || !hasDuplicate(ids))
    return ids;
  std::vector<std::uint32_t> sorted = ids;
  std::sort(sorted.begin(), sorted.end());
  const auto twice = std::adjacent_find(sorted.begin(), sorted.end());
  if (twice == sorted.end())
    return ids;
  // The smallest ID given twice: named at its second vertex or face, with its first.
  const size_t first = static_cast<size_t>(std::find(ids.begin(), ids.end(), *twice) - ids.begin());
  const size_t second = static_cast<size_t>(
      std::find(ids.begin() + static_cast<std::ptrdiff_t>(first) + 1, ids.end(), *twice) -
      ids.begin());
  fail(at(place, second), "duplicate unique ID " + std::to_string(*twice) + ", already the ID of " +
                              per + " " + std::to_string(first));
}

std::vector<int> ObjectBuilder::indexList(RawColumn<std::int32_t>& raw, const std::string& place,
                                          size_t count, const char* what) {
  Column<std::int32_t> c = take(raw, place);
  if (c.nested)
    fail(place, std::string("expected a flat list of ") + what + " indices");
  for (size_t i = 0; i < c.values.size(); ++i)
    if (c.values[i] < 0 || static_cast<size_t>(c.values[i]) >= count)
      fail(at(place, i), std::string(what) + " " + std::to_string(c.values[i]) +
                             " does not exist: the object has " + counted(count, what));
  return std::move(c.values);
}

int ObjectBuilder::integer(const Scalar& value, const std::string& place, int fallback) const {
  std::int32_t n = fallback;
  if (value.present() && !toNumber(value, n))
    fail(place, "expected a 32-bit integer, found " + describe(value));
  return n;
}

std::uint32_t ObjectBuilder::flag(const Scalar& value, const std::string& place,
                                  std::uint32_t whenTrue, std::uint32_t fallback) const {
  if (!value.present())
    return fallback;
  if (value.kind == ValueKind::Boolean)
    return value.boolean ? whenTrue : 0;
  std::uint32_t n = 0;
  if (!toNumber(value, n))
    fail(place, "expected true, false or an unsigned integer, found " + describe(value));
  return n;
}

// Positions written out as numbers: an array of [x, y, z] or a flat array of 3n numbers.
void ObjectBuilder::positionsFrom(Column<float>&& p, const std::string& place,
                                  sim::Object& object) {
  if (p.nested) {
    for (size_t i = 0; i < p.rows.size(); ++i)
      if (p.rows[i] != 3)
        fail(at(place, i), "expected 3 numbers (x, y, z), found " + std::to_string(p.rows[i]));
  } else if (p.values.size() % 3 != 0) {
    fail(place,
         "holds " + std::to_string(p.values.size()) + " numbers, not a multiple of 3 (x, y, z)");
  }
  object.editPositions().resize(p.values.size() / 3);
  if (!p.values.empty())
    std::memcpy(object.editPositions().data(), p.values.data(), p.values.size() * sizeof(float));
}

void ObjectBuilder::readVertices(RawObject& raw, const std::string& place, sim::Object& object) {
  if (!raw.positions.present)
    fail(place, "\"positions\" is missing");
  const std::string positionsPlace = place + ".positions";
  if (raw.positions.isBlock) {
    const std::uint32_t count =
        blockCount(raw.positions.block, positionsPlace, blockTypeName<float>());
    if (count % 3 != 0)
      fail(positionsPlace,
           "holds " + std::to_string(count) + " numbers, not a multiple of 3 (x, y, z)");
    blockInto(raw.positions.block, positionsPlace, count, object.editPositions());
  } else {
    positionsFrom(take(raw.positions, positionsPlace), positionsPlace, object);
  }
  const size_t n = object.positions.size();
  object.editWeights().assign(n, 1.0f);
  object.nextVertexUniqueId = static_cast<MQDWORD>(n + 1);
  if (raw.vertexIds.present) {
    object.editVertexIds() = uniqueIds(raw.vertexIds, place + ".uniqueIds", n, "vertex");
    for (MQDWORD id : object.vertexIds)
      object.nextVertexUniqueId = std::max(object.nextVertexUniqueId, id + 1);
  } else {
    object.editVertexIds().resize(n);
    for (size_t i = 0; i < n; ++i)
      object.editVertexIds()[i] = static_cast<MQDWORD>(i + 1);
  }
  if (raw.weights.present)
    object.editWeights() = flatColumn(raw.weights, place + ".weights", n, "vertex");
  if (raw.selectedVertices.present)
    for (int index : indexList(raw.selectedVertices, place + ".selected", n, "vertex"))
      object.selectedVertices.insert(index);
}

void ObjectBuilder::build(RawObject& raw, sim::Document& document) {
  const std::string place = at("objects", raw.slot);
  std::string name;
  if (raw.name.present()) {
    if (raw.name.kind != ValueKind::Text)
      fail(place + ".name", "expected a text, found " + describe(raw.name));
    name = std::move(raw.name.text);
    if (name.size() > kLongestName)
      fail(place + ".name", "is " + std::to_string(name.size()) +
                                " bytes long; the host keeps names of at most " +
                                std::to_string(kLongestName) + " bytes");
    if (name.find('\0') != std::string::npos)
      fail(place + ".name", "contains a NUL character");
  }
  const std::string named = place + " (" + quotedText(name) + ")";
  sim::Object* object = document.addObject(name);
  object->depth = integer(raw.depth, named + ".depth", 0);
  object->locked = static_cast<int>(flag(raw.locked, named + ".locked", 1, 0));
  object->selected = static_cast<int>(flag(raw.selected, named + ".selected", 1, 0));
  object->visible = flag(raw.visible, named + ".visible", 0xFFFFFFFFu, 0xFFFFFFFFu);
  if (raw.hasVertices)
    readVertices(raw, named + ".vertices", *object);
  if (raw.hasFaces)
    readFaces(raw, named + ".faces", *object);
  shareWithBase(document, *object);
}

void ObjectBuilder::shareWithBase(const sim::Document& document, sim::Object& object) {
  // An element differs from its base mostly in its positions: what is equal is held once.
  const std::string& name = object.name();
  const size_t dash = name.find('-');
  if (dash == std::string::npos)
    return;
  const sim::Object* base = document.findObject(name.substr(dash + 1));
  if (base && base != &object && naming::isElementOf(name, base->name()))
    object.shareEqualArrays(*base);
}

// The faces' half (FaceBuilder.cpp) uses these too.
template ObjectBuilder::Column<std::int32_t> ObjectBuilder::take(RawColumn<std::int32_t>&,
                                                                 const std::string&);
template ObjectBuilder::Column<float> ObjectBuilder::take(RawColumn<float>&, const std::string&);
template std::vector<std::int32_t>
ObjectBuilder::flatColumn(RawColumn<std::int32_t>&, const std::string&, size_t, const char*);

} // namespace runner
