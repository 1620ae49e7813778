// The SAX callbacks of the document reader: each event checked where it stands in the document.
#include "DocumentEvents.h"

namespace runner {

namespace {

const int kFormatVersion = 1;
const char* kDocumentFormat = "tovalinder-document";

template <typename T> void append(void* values, const Number& number, bool& ok) {
  T value{};
  ok = toNumber(number, value);
  if (ok)
    static_cast<std::vector<T>*>(values)->push_back(value);
}

Scalar numberScalar(const Number& number, const std::string* text) {
  Scalar scalar;
  scalar.kind = number.kind;
  scalar.number = number;
  if (text)
    scalar.text = *text;
  return scalar;
}

} // namespace

void DocumentEvents::push(Node node, bool isArray) {
  if (frames_.size() >= kDeepestNesting)
    fail(place(), "nested more than " + std::to_string(kDeepestNesting) + " levels deep");
  frames_.emplace_back(node, isArray);
  if (node == Node::Skip && !isArray)
    frames_.back().keys = std::make_unique<std::unordered_set<std::string>>();
}

// The current value of the innermost open object or array is complete.
void DocumentEvents::valueDone() {
  if (frames_.empty())
    return;
  Frame& top = frames_.back();
  if (top.isArray)
    ++top.index;
  else
    top.field = -1;
}

void DocumentEvents::failEntry(const Scalar& found) const {
  const Frame& top = frames_.back();
  if (top.node == Node::Numbers && column_.shape->nested)
    fail(place(), "expected an array like the entries before it, found " + describe(found));
  fail(place(), std::string("expected ") + columnKind() + ", found " + describe(found));
}

void DocumentEvents::numberEntry(const Number& number, const Json::string_t* text) {
  ColumnShape& shape = *column_.shape;
  if (frames_.back().node == Node::Numbers) {
    if (!shape.hasEntries)
      shape.hasEntries = true; // a flat array
    else if (shape.nested)
      failEntry(numberScalar(number, text));
  }
  bool ok = false;
  switch (column_.type) {
  case ColumnRef::Type::Float:
    append<float>(column_.values, number, ok);
    break;
  case ColumnRef::Type::Int:
    append<std::int32_t>(column_.values, number, ok);
    break;
  case ColumnRef::Type::Unsigned:
    append<std::uint32_t>(column_.values, number, ok);
    break;
  }
  if (!ok)
    failEntry(numberScalar(number, text));
  ++frames_.back().index;
}

bool DocumentEvents::value(Scalar scalar) {
  if (frames_.empty())
    fail("", "expected a JSON object at the top");
  Frame& top = frames_.back();
  switch (top.node) {
  case Node::Numbers:
  case Node::Row:
    failEntry(scalar);
  case Node::Skip:
    break;
  case Node::Objects:
    if (scalar.kind != ValueKind::Null)
      fail(place(), "expected an object or null (an empty slot), found " + describe(scalar));
    assembly_.slot(nullptr);
    break;
  default:
    scalarInObject(top, std::move(scalar));
  }
  valueDone();
  return true;
}

void DocumentEvents::scalarInObject(Frame& top, Scalar&& scalar) {
  const Target where = target(top);
  switch (where.what) {
  case Target::What::Scalar:
    *where.scalar = std::move(scalar);
    if (top.node == Node::Root)
      rootMember(top.field, *where.scalar);
    break;
  case Target::What::Column:
  case Target::What::Node:
    fail(place(), std::string(expectation(top)) + ", found " + describe(scalar));
  case Target::What::Skip:
    break;
  }
}

void DocumentEvents::rootMember(int field, const Scalar& value) {
  if (field == 0 && (value.kind != ValueKind::Text || value.text != kDocumentFormat))
    fail("format",
         std::string("expected \"") + kDocumentFormat + "\": this is not a document file");
  if (field == 1) {
    if (!value.isInteger())
      fail("version", "missing or not an integer");
    if (value.kind != ValueKind::Unsigned || value.number.unsigned_ != kFormatVersion)
      fail("version", "unsupported version " + describe(value) + " (this program reads version " +
                          std::to_string(kFormatVersion) + ")");
  }
  if ((field == 0 || field == 1) && format_.present() && version_.present())
    assembly_.confirmed();
}

void DocumentEvents::rootEnd() {
  if (!format_.present())
    fail("format",
         std::string("expected \"") + kDocumentFormat + "\": this is not a document file");
  if (!version_.present())
    fail("version", "missing or not an integer");
  if (!unknownRootKey_.empty())
    fail("", "unknown key " + quotedText(unknownRootKey_));
  if (!hasObjects_)
    fail("objects", "expected an array of objects (null for an empty slot)");
  assembly_.finished();
}

bool DocumentEvents::null() {
  Scalar scalar;
  scalar.kind = ValueKind::Null;
  return value(std::move(scalar));
}

bool DocumentEvents::boolean(bool b) {
  Scalar scalar;
  scalar.kind = ValueKind::Boolean;
  scalar.boolean = b;
  return value(std::move(scalar));
}

// A number: an entry of a numeric array, or a single value.
bool DocumentEvents::numberEvent(const Number& number, const Json::string_t* text) {
  const bool entry = !frames_.empty() &&
                     (frames_.back().node == Node::Numbers || frames_.back().node == Node::Row);
  if (entry)
    numberEntry(number, text);
  else
    value(numberScalar(number, text));
  return true;
}

bool DocumentEvents::number_integer(Json::number_integer_t n) {
  Number number;
  number.kind = ValueKind::Negative; // the parser hands every integer from zero up as unsigned
  number.negative = n;
  return numberEvent(number, nullptr);
}

bool DocumentEvents::number_unsigned(Json::number_unsigned_t n) {
  Number number;
  number.kind = ValueKind::Unsigned;
  number.unsigned_ = n;
  return numberEvent(number, nullptr);
}

bool DocumentEvents::number_float(Json::number_float_t n, const Json::string_t& text) {
  Number number;
  number.kind = ValueKind::Float;
  number.value = n;
  return numberEvent(number, &text);
}

bool DocumentEvents::string(Json::string_t& text) {
  Scalar scalar;
  scalar.kind = ValueKind::Text;
  scalar.text = std::move(text);
  return value(std::move(scalar));
}

bool DocumentEvents::key(Json::string_t& key) {
  Frame& top = frames_.back();
  if (top.node == Node::Skip) {
    if (!top.keys->insert(key).second)
      fail(place(false), "duplicate key " + quotedText(key));
    top.key = std::move(key);
    return true;
  }
  const int field = fieldOf(top.node, key);
  if (field < 0)
    fail(place(false), "unknown key " + quotedText(key));
  const std::uint32_t bit = std::uint32_t{1} << field;
  if ((top.seen & bit) && field != kUnknownTopMember)
    fail(place(false), "duplicate key " + quotedText(key));
  if (field ==
      kUnknownTopMember) { // unknown at the top: refused at the end, after the format check
    if (!top.keys)
      top.keys = std::make_unique<std::unordered_set<std::string>>();
    if (!top.keys->insert(key).second)
      fail("", "duplicate key " + quotedText(key));
    if (unknownRootKey_.empty())
      unknownRootKey_ = key;
  }
  top.seen |= bit;
  top.field = field;
  top.key = std::move(key);
  return true;
}

} // namespace runner
