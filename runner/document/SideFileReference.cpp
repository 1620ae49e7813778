// Which side file a document on disk names, found without reading the document: the JSON is read
// only up to the top-level "binary" member's "file" (for one of our own documents, which write
// "binary" first, no further than "objects"), so that even a huge readable document costs little
// to ask.
#include "DocumentFile.h"
#include "DocumentParts.h"
#include "JsonInput.h"
#include "SideFiles.h"

#include <nlohmann/json.hpp>

namespace runner {

namespace {

class SideFileFinder : public nlohmann::json_sax<nlohmann::json> {
public:
  explicit SideFileFinder(bool anywhere) : anywhere_(anywhere) {}
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
    return anywhere_ || depth_ != 1 || name != "objects";
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
  bool anywhere_;
  int depth_ = 0;
  bool inBinary_ = false;
  std::string key_;
};

// The file name the document's "binary" member gives, "" for none (or no document).
std::string sideFileName(const std::string& path, bool anywhere) {
  InputFile document;
  std::string why;
  if (!document.open(path, why)) // a regular file only
    return "";
  SideFileFinder finder(anywhere);
  try {
    JsonInput input(document, nullptr);
    nlohmann::json::sax_parse(input.begin(), input.end(), &finder);
  } catch (const std::exception&) {
    return ""; // not a document: reading it will tell
  }
  return finder.file;
}

// Whether the bytes can hold the key "binary" at all: its plain spelling, or any \u escape that
// might spell it. Most large documents (readable numbers) are thus passed over at disk speed.
bool mayNameASideFile(const std::string& path) {
  InputStream in(path);
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

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::string referencedSideFile(const std::string& path) {
  const std::string name = sideFileName(path, false);
  return isPlainFileName(name) ? folderOf(path) + name : std::string();
}

std::vector<std::string> documentParts(const std::string& path) {
  std::vector<std::string> parts = {path};
  try {
    if (!mayNameASideFile(path))
      return parts;
  } catch (const FileError&) {
    return parts; // not readable: reading it will tell
  }
  const std::string name = sideFileName(path, true);
  if (!name.empty())
    parts.push_back(folderOf(path) + name);
  return parts;
}

} // namespace runner
