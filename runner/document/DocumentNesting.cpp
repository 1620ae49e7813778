// The SAX callbacks that open and close objects and arrays: the document's nesting, checked and
// bounded as it is read.
#include "DocumentEvents.h"
#include "Utf8.h"

namespace runner {

namespace {

// A parser message cut to a line of sensible length, never in the middle of a character.
std::string shortened(const std::string& text) {
  const size_t longest = 300;
  return text.size() <= longest ? text : cutUtf8(text, longest) + "...";
}

} // namespace

bool DocumentEvents::start_object(std::size_t) {
  if (frames_.empty()) {
    push(Node::Root, false);
    return true;
  }
  return openComposite(false);
}

bool DocumentEvents::start_array(std::size_t) {
  if (frames_.empty())
    fail("", "expected a JSON object at the top");
  return openComposite(true);
}

bool DocumentEvents::openComposite(bool isArray) {
  Frame& top = frames_.back();
  Scalar found;
  found.kind = isArray ? ValueKind::Array : ValueKind::Object;
  switch (top.node) {
  case Node::Numbers:
    if (isArray && (!column_.shape->hasEntries || column_.shape->nested)) {
      column_.shape->hasEntries = column_.shape->nested = true;
      push(Node::Row, true);
      return true;
    }
    failEntry(found);
  case Node::Row:
    failEntry(found);
  case Node::Skip:
    push(Node::Skip, isArray);
    return true;
  case Node::Objects:
    if (isArray)
      fail(place(), "expected an object or null (an empty slot), found [...]");
    object_ = RawObject();
    object_.slot = top.index;
    push(Node::Object, false);
    return true;
  default:
    break;
  }
  const Target where = target(top);
  switch (where.what) {
  case Target::What::Scalar:
    *where.scalar = found;
    if (top.node == Node::Root)
      rootMember(top.field, found);
    push(Node::Skip, isArray); // kept only as "an array" or "an object" for the message
    return true;
  case Target::What::Skip:
    push(Node::Skip, isArray);
    return true;
  case Target::What::Column:
    column_ = column(top);
    column_.shape->present = true;
    column_.shape->isBlock = !isArray;
    push(isArray ? Node::Numbers : Node::Block, isArray);
    return true;
  case Target::What::Node:
    break;
  }
  if (isArray != (where.node == Node::Objects))
    fail(place(), std::string(expectation(top)) + ", found " + describe(found));
  hasObjects_ = hasObjects_ || where.node == Node::Objects;
  object_.hasVertices = object_.hasVertices || where.node == Node::Vertices;
  object_.hasFaces = object_.hasFaces || where.node == Node::Faces;
  push(where.node, isArray);
  return true;
}

bool DocumentEvents::end_object() {
  const Node node = frames_.back().node;
  frames_.pop_back();
  switch (node) {
  case Node::Root:
    rootEnd();
    break;
  case Node::Binary:
    assembly_.binary(binaryFile_, binaryBytes_);
    break;
  case Node::Object:
    assembly_.slot(&object_);
    break;
  default:
    break;
  }
  valueDone();
  return true;
}

bool DocumentEvents::end_array() {
  const Frame& top = frames_.back();
  if (top.node == Node::Row)
    column_.shape->rows.push_back(static_cast<std::uint32_t>(top.index));
  frames_.pop_back();
  valueDone();
  return true;
}

bool DocumentEvents::parse_error(std::size_t, const std::string&,
                                 const nlohmann::detail::exception& error) {
  // Syntax faults and numbers too large for a double alike: the file is not a document.
  std::string what = error.what();
  const size_t bracket = what.find("] ");
  if (bracket != std::string::npos)
    what = what.substr(bracket + 2);
  const std::string at = place();
  fail("", "not valid JSON: " + shortened(what) + (at.empty() ? "" : " (at " + at + ")"));
}

} // namespace runner
