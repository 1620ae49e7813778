// The document's structure as the streaming reader checks it: the members each kind of object
// may have, where each member's value goes, and the JSON path of every value for messages.
#include "DocumentEvents.h"
#include "DocumentFile.h"

#include <cctype>
#include <initializer_list>

namespace runner {

namespace {

using Keys = std::initializer_list<const char*>;

Keys keysOf(Node node) {
  static const Keys root{"format", "version", "description", "binary", "objects"};
  static const Keys binary{"file", "bytes"};
  static const Keys object{"name", "depth", "locked", "selected", "visible", "vertices", "faces"};
  static const Keys vertices{"positions", "uniqueIds", "weights", "selected"};
  static const Keys faces{"points", "sizes",   "uniqueIds", "materials",
                          "uvs",    "creases", "selected"};
  static const Keys block{"type", "count", "base64", "offset"};
  static const Keys none{};
  switch (node) {
  case Node::Root:
    return root;
  case Node::Binary:
    return binary;
  case Node::Object:
    return object;
  case Node::Vertices:
    return vertices;
  case Node::Faces:
    return faces;
  case Node::Block:
    return block;
  default:
    return none;
  }
}

bool plainKey(const std::string& key) {
  if (key.empty() || key.size() > 40)
    return false;
  for (unsigned char c : key)
    if (!std::isalnum(c) && c != '_' && c != '-')
      return false;
  return true;
}

} // namespace

int fieldOf(Node node, const std::string& key) {
  int field = 0;
  for (const char* name : keysOf(node)) {
    if (key == name)
      return field;
    ++field;
  }
  return node == Node::Root ? kUnknownTopMember : -1;
}

void DocumentEvents::fail(const std::string& place, const std::string& what) const {
  throw FileError(path_ + ": " + (place.empty() ? "" : place + ": ") + what);
}

std::string DocumentEvents::keyText(const Frame& frame) const {
  const Keys keys = keysOf(frame.node);
  if (frame.field >= 0 && static_cast<size_t>(frame.field) < keys.size())
    return keys.begin()[frame.field];
  return plainKey(frame.key) ? frame.key : quotedText(frame.key, 40);
}

std::string DocumentEvents::place(bool withCurrent) const {
  std::string text;
  for (size_t k = 0; k < frames_.size(); ++k) {
    const Frame& frame = frames_[k];
    if (k + 1 == frames_.size() && !withCurrent)
      break;
    if (frame.node == Node::Object && object_.name.kind == ValueKind::Text)
      text += " (" + quotedText(object_.name.text) + ")";
    if (frame.isArray)
      text += "[" + std::to_string(frame.index) + "]";
    else
      text += (text.empty() ? "" : ".") + keyText(frame);
  }
  return text;
}

DocumentEvents::Target DocumentEvents::target(const Frame& frame) {
  using W = Target::What;
  switch (frame.node) {
  case Node::Root:
    switch (frame.field) {
    case 0:
      return {W::Scalar, &format_};
    case 1:
      return {W::Scalar, &version_};
    case 3:
      return {W::Node, nullptr, Node::Binary};
    case 4:
      return {W::Node, nullptr, Node::Objects};
    default: // the description, and unknown members
      return {W::Skip};
    }
  case Node::Binary:
    return {W::Scalar, frame.field == 0 ? &binaryFile_ : &binaryBytes_};
  case Node::Object: {
    Scalar* scalars[] = {&object_.name, &object_.depth, &object_.locked, &object_.selected,
                         &object_.visible};
    if (frame.field < 5)
      return {W::Scalar, scalars[frame.field]};
    return {W::Node, nullptr, frame.field == 5 ? Node::Vertices : Node::Faces};
  }
  case Node::Vertices:
  case Node::Faces:
    return {W::Column, nullptr, frame.node};
  case Node::Block: {
    BlockHeader& header = column_.shape->block;
    Scalar* scalars[] = {&header.type, &header.count, &header.base64, &header.offset};
    return {W::Scalar, scalars[frame.field]};
  }
  default:
    return {W::Skip};
  }
}

DocumentEvents::ColumnRef DocumentEvents::column(const Frame& frame) {
  using T = ColumnRef::Type;
  RawObject& o = object_;
  auto ref = [](T type, auto& column) { return ColumnRef{type, &column, &column.values}; };
  if (frame.node == Node::Vertices) {
    switch (frame.field) {
    case 0:
      return ref(T::Float, o.positions);
    case 1:
      return ref(T::Unsigned, o.vertexIds);
    case 2:
      return ref(T::Float, o.weights);
    default:
      return ref(T::Int, o.selectedVertices);
    }
  }
  switch (frame.field) {
  case 0:
    return ref(T::Int, o.points);
  case 1:
    return ref(T::Int, o.sizes);
  case 2:
    return ref(T::Unsigned, o.faceIds);
  case 3:
    return ref(T::Int, o.materials);
  case 4:
    return ref(T::Float, o.uvs);
  case 5:
    return ref(T::Float, o.creases);
  default:
    return ref(T::Int, o.selectedFaces);
  }
}

// What a member of the document's structure must be, for a value that is something else.
const char* DocumentEvents::expectation(const Frame& frame) const {
  switch (frame.node) {
  case Node::Root:
    return frame.field == 3 ? "expected {\"file\": name of the binary file beside the document, "
                              "\"bytes\": its size}"
                            : "expected an array of objects (null for an empty slot)";
  case Node::Object:
    return frame.field == 5 ? "expected an object with \"positions\""
                            : "expected an object with \"points\"";
  default:
    return "expected an array of numbers or a data block";
  }
}

const char* DocumentEvents::columnKind() const {
  switch (column_.type) {
  case ColumnRef::Type::Float:
    return numberKind<float>();
  case ColumnRef::Type::Int:
    return numberKind<std::int32_t>();
  default:
    return numberKind<std::uint32_t>();
  }
}

} // namespace runner
