#include "JsonTree.h"

#include "FileError.h"

#include <set>
#include <vector>

namespace runner {

namespace {

// Builds the tree from the parser's events, keeping the rules on the way in, so that a tree too
// deep or with a repeated key is never built.
class TreeBuilder : public nlohmann::json_sax<JsonTree> {
public:
  TreeBuilder(JsonTree& root, const std::string& text, const std::string& file)
      : root_(root), text_(text), file_(file) {}

  bool null() override { return put(JsonTree()); }
  bool boolean(bool value) override { return put(JsonTree(value)); }
  bool number_integer(number_integer_t value) override { return put(JsonTree(value)); }
  bool number_unsigned(number_unsigned_t value) override { return put(JsonTree(value)); }
  bool number_float(number_float_t value, const string_t&) override { return put(JsonTree(value)); }
  bool string(string_t& value) override { return put(JsonTree(std::move(value))); }
  bool binary(binary_t& value) override { return put(JsonTree::binary(std::move(value))); }
  bool start_object(std::size_t) override { return open(JsonTree::object()); }
  bool start_array(std::size_t) override { return open(JsonTree::array()); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool key(string_t& name) override {
    Frame& top = frames_.back();
    if (!top.keys.insert(name).second)
      throw FileError(file_, pathOf(name), "the key \"" + name + "\" stands twice in one object");
    key_ = std::move(name);
    return true;
  }
  bool parse_error(std::size_t byte, const std::string&,
                   const nlohmann::detail::exception& error) override {
    throw FileError(file_ + ":" + lineAndColumn(text_, byte > 0 ? byte - 1 : 0), "",
                    parserProblem(error.what()));
  }

private:
  struct Frame {
    JsonTree* value;
    std::set<std::string> keys;
    std::size_t entries = 0;
  };

  JsonTree* slot() {
    if (frames_.empty())
      return &root_;
    Frame& top = frames_.back();
    ++top.entries;
    if (top.value->is_array()) {
      top.value->push_back(JsonTree());
      return &top.value->back();
    }
    return &(*top.value)[key_];
  }
  bool put(JsonTree value) {
    *slot() = std::move(value);
    return true;
  }
  bool open(JsonTree value) {
    if (frames_.size() >= kJsonNestingLimit)
      throw FileError(file_, pathOf(""),
                      "nested more than " + std::to_string(kJsonNestingLimit) + " levels deep");
    JsonTree* target = slot();
    *target = std::move(value);
    frames_.push_back(Frame{target, {}});
    return true;
  }
  bool close() {
    frames_.pop_back();
    return true;
  }
  // The JSON path of the value being read ("meshes[0].primitives"), with `next` as its last key.
  std::string pathOf(const std::string& next) const {
    std::string path;
    for (size_t f = 0; f < frames_.size(); ++f) {
      const Frame& frame = frames_[f];
      const bool last = f + 1 == frames_.size();
      if (frame.value->is_array())
        path += "[" + std::to_string(frame.entries - (last ? 0 : 1)) + "]";
      else if (last && !next.empty())
        path += (path.empty() ? "" : ".") + next;
      else if (!last)
        path += (path.empty() ? "" : ".") + keyIn(frame, *frames_[f + 1].value);
    }
    return path.empty() ? "(top)" : path;
  }
  static std::string keyIn(const Frame& frame, const JsonTree& child) {
    for (auto it = frame.value->begin(); it != frame.value->end(); ++it)
      if (&it.value() == &child)
        return it.key();
    return "?";
  }

  JsonTree& root_;
  const std::string& text_;
  const std::string& file_;
  std::vector<Frame> frames_;
  std::string key_;
};

} // namespace

std::string lineAndColumn(const std::string& text, std::size_t byte) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < byte && i < text.size(); ++i)
    if (text[i] == '\n')
      ++line, column = 1;
    else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) // characters, not bytes
      ++column;
  return std::to_string(line) + ":" + std::to_string(column);
}

std::string parserProblem(const std::string& message) {
  std::string problem = message;
  const size_t bracket = problem.find("] ");
  if (problem.rfind("[json.exception.", 0) == 0 && bracket != std::string::npos)
    problem.erase(0, bracket + 2);
  const size_t at = problem.find("parse error at ");
  const size_t colon = at == 0 ? problem.find(": ") : std::string::npos;
  if (colon != std::string::npos)
    problem.erase(0, colon + 2);
  else if (problem.rfind("parse error: ", 0) == 0)
    problem.erase(0, 13);
  return problem;
}

JsonTree parseJsonTree(const std::string& text, const std::string& file) {
  JsonTree root;
  TreeBuilder builder(root, text, file);
  JsonTree::sax_parse(text, &builder);
  return root;
}

} // namespace runner
