#include "DocumentParts.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <fstream>

namespace runner {

namespace {

// Whether the bytes can hold the key "binary" at all: its plain spelling, or any \u escape that
// might spell it. Most large documents (readable numbers) are thus passed over at disk speed.
bool mayNameASideFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string needles[] = {"\"binary\"", "\\u"};
  std::string carry, chunk(1 << 20, '\0');
  while (in) {
    in.read(&chunk[0], static_cast<std::streamsize>(chunk.size()));
    const std::string window = carry + chunk.substr(0, static_cast<size_t>(in.gcount()));
    for (const std::string& needle : needles)
      if (window.find(needle) != std::string::npos)
        return true;
    carry = window.size() > 8 ? window.substr(window.size() - 8) : window;
  }
  return false;
}

// Reads events up to the top-level "binary" object's "file" string, then stops.
class SideFileFinder : public nlohmann::json_sax<nlohmann::json> {
public:
  std::string file;

  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t, const string_t&) override { return value(); }
  bool string(string_t& text) override {
    if (depth_ == 2 && inBinary_ && key_ == "file") {
      file = text;
      return false; // found: stop reading
    }
    return value();
  }
  bool binary(binary_t&) override { return value(); }
  bool start_object(std::size_t) override { return open(); }
  bool start_array(std::size_t) override { return open(); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool key(string_t& name) override {
    key_ = name;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

private:
  bool value() {
    key_.clear();
    return true;
  }
  bool open() {
    ++depth_;
    if (depth_ == 2)
      inBinary_ = key_ == "binary";
    key_.clear();
    return true;
  }
  bool close() {
    if (depth_-- == 2)
      inBinary_ = false;
    return true;
  }
  int depth_ = 0;
  bool inBinary_ = false;
  std::string key_;
};

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::vector<std::string> documentParts(const std::string& path) {
  std::vector<std::string> parts = {path};
  if (!mayNameASideFile(path))
    return parts;
  std::ifstream in(path, std::ios::binary);
  SideFileFinder finder;
  try {
    nlohmann::json::sax_parse(in, &finder);
  } catch (const std::exception&) {
    // Not a document: its reading will tell.
  }
  if (!finder.file.empty())
    parts.push_back(folderOf(path) + finder.file);
  return parts;
}

} // namespace runner
