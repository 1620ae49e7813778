// Which side file a document on disk uses: read from the top of its JSON, stopping at
// "objects", so that even a huge readable document costs little to ask.
#include "DocumentFile.h"
#include "JsonInput.h"
#include "SideFiles.h"

#include <nlohmann/json.hpp>

namespace runner {

namespace {

// Just enough of the document's structure: the top-level "binary" member's "file".
class BinaryFileFinder {
public:
  using Json = nlohmann::json;
  std::string file;

  bool null() { return done(); }
  bool boolean(bool) { return done(); }
  bool number_integer(Json::number_integer_t) { return done(); }
  bool number_unsigned(Json::number_unsigned_t) { return done(); }
  bool number_float(Json::number_float_t, const Json::string_t&) { return done(); }
  bool string(Json::string_t& text) {
    if (depth_ == 2 && inBinary_ && key_ == "file")
      file = text;
    return done();
  }
  bool binary(Json::binary_t&) { return false; }
  bool start_object(std::size_t) { return open(); }
  bool start_array(std::size_t) { return open(); }
  bool key(Json::string_t& key) {
    key_ = key;
    if (depth_ == 1) {
      inBinary_ = key == "binary";
      return key != "objects"; // the binary member comes first in every document written
    }
    return true;
  }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

private:
  bool done() { return true; }
  bool open() {
    ++depth_;
    return depth_ <= 3;
  }
  bool close() {
    --depth_;
    return !(depth_ == 1 && inBinary_); // the binary member read: enough
  }

  int depth_ = 0;
  bool inBinary_ = false;
  std::string key_;
};

} // namespace

std::string referencedSideFile(const std::string& path) {
  InputFile document;
  std::string why;
  if (!document.open(path, why)) // a regular file only
    return "";
  BinaryFileFinder finder;
  try {
    JsonInput input(document, nullptr);
    nlohmann::json::sax_parse(input.begin(), input.end(), &finder);
  } catch (const std::exception&) {
    return "";
  }
  const std::string& name = finder.file;
  if (!isPlainFileName(name))
    return "";
  const size_t slash = path.find_last_of("/\\");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

} // namespace runner
