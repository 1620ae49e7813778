// The streaming side of the document reader: nlohmann-json's SAX events checked against the
// document's structure as they come, so that no tree of values is ever built. Every rule of the
// JSON level lives here: nesting at most kDeepestNesting levels, no key twice in an object, no
// unknown key, each member of the type it must have; every fault names the file and the JSON
// path. Numeric arrays go straight into typed columns; each finished object is handed on.
#pragma once

#include "JsonTree.h"
#include "RawObject.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace runner {

constexpr std::size_t kDeepestNesting = kJsonNestingLimit;

// Where the events hand the document's parts, each as soon as it is complete.
class DocumentAssembly {
public:
  virtual ~DocumentAssembly() = default;
  // "format" and "version" were read and are right.
  virtual void confirmed() = 0;
  virtual void binary(const Scalar& file, const Scalar& bytes) = 0;
  // The next entry of "objects"; null for an empty slot.
  virtual void slot(RawObject* object) = 0;
  // The top-level object ended, with every required member there.
  virtual void finished() = 0;
};

enum class Node : std::uint8_t {
  Root,
  Binary,
  Objects,
  Object,
  Vertices,
  Faces,
  Block,
  Numbers,
  Row,
  Skip
};

// A member of the top-level object that no document has: its value is skipped and the key
// refused once "format" has had its say.
constexpr int kUnknownTopMember = 31;
// The index of a member among those its kind of object may have; -1 when it has no such member
// (kUnknownTopMember at the top).
int fieldOf(Node node, const std::string& key);

class DocumentEvents {
public:
  using Json = nlohmann::json;

  DocumentEvents(std::string path, DocumentAssembly& assembly)
      : path_(std::move(path)), assembly_(assembly) {}

  [[noreturn]] void fail(const std::string& place, const std::string& what) const;
  // The JSON path of the value being read (withCurrent) or of the innermost open value.
  std::string place(bool withCurrent = true) const;

  // nlohmann-json's SAX interface.
  bool null();
  bool boolean(bool value);
  bool number_integer(Json::number_integer_t value);
  bool number_unsigned(Json::number_unsigned_t value);
  bool number_float(Json::number_float_t value, const Json::string_t& text);
  bool string(Json::string_t& value);
  bool binary(Json::binary_t&) { fail(place(), "binary values are not JSON"); }
  bool start_object(std::size_t);
  bool key(Json::string_t& key);
  bool end_object();
  bool start_array(std::size_t);
  bool end_array();
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error);

private:
  struct Frame {
    Frame(Node n, bool array) : node(n), isArray(array) {}
    Node node;
    bool isArray = false;
    int field = -1;         // objects: the member whose value comes next
    std::uint32_t seen = 0; // objects of the document: the members met so far
    std::size_t index = 0;  // arrays: the entries before the current one
    std::string key;        // skipped objects and unknown members: the key as written
    std::unique_ptr<std::unordered_set<std::string>> keys; // skipped objects: keys met
  };
  // Where the value of the current member of an object of the document goes.
  struct Target {
    enum class What { Scalar, Column, Node, Skip } what;
    Scalar* scalar = nullptr;
    Node node = Node::Skip; // What::Node: the node it opens; What::Column: Vertices or Faces
  };
  // The column a numeric array or block of the current member fills.
  struct ColumnRef {
    enum class Type { Float, Int, Unsigned } type = Type::Float;
    ColumnShape* shape = nullptr;
    void* values = nullptr; // std::vector<float / int32_t / uint32_t>
  };

  Target target(const Frame& frame);
  ColumnRef column(const Frame& frame);
  const char* expectation(const Frame& frame) const;
  const char* columnKind() const;
  std::string keyText(const Frame& frame) const;
  void push(Node node, bool isArray);
  void valueDone();
  bool value(Scalar scalar);
  void scalarInObject(Frame& top, Scalar&& scalar);
  bool numberEvent(const Number& number, const Json::string_t* text);
  void numberEntry(const Number& number, const Json::string_t* text);
  [[noreturn]] void failEntry(const Scalar& found) const;
  void rootMember(int field, const Scalar& value);
  void rootEnd();
  bool openComposite(bool isArray);

  std::string path_;
  DocumentAssembly& assembly_;
  std::vector<Frame> frames_;
  ColumnRef column_;
  RawObject object_;
  Scalar format_, version_, binaryFile_, binaryBytes_;
  bool hasObjects_ = false;
  std::string unknownRootKey_;
};

} // namespace runner
