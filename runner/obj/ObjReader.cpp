#include "ObjReader.h"

#include "FileError.h"
#include "InputFile.h"
#include "ObjLines.h"
#include "ObjNumbers.h"

#include <limits>
#include <set>

namespace runner::obj {

namespace {

// OBJ statements that are read without error but are not part of the mesh.
const std::set<std::string, std::less<>> kOtherStatements = {
    "vn",        "vp",     "o",      "g",        "s",        "mg",   "l",
    "p",         "mtllib", "cstype", "deg",      "bmat",     "step", "curv",
    "curv2",     "surf",   "parm",   "trim",     "hole",     "scrv", "sp",
    "end",       "con",    "bevel",  "c_interp", "d_interp", "lod",  "shadow_obj",
    "trace_obj", "ctech",  "stech",  "maplib",   "usemap",   "call", "csh"};

const long kMostElements = std::numeric_limits<int>::max() / 2;

// The largest positive index a kind of element was given, and where, checked once the file's
// lists are complete (a face may name vertices written after it).
struct Furthest {
  long index = 0;
  std::uint64_t line = 0;
};

class Parser {
public:
  Parser(LineSource& lines, const ReadOptions& options, Mesh& mesh)
      : lines_(lines), options_(options), mesh_(mesh) {}

  void run() {
    Line line;
    while (lines_.next(line)) {
      line_ = line.number;
      statement(line);
    }
    checkFurthest(vertexFurthest_, mesh_.vertexCount(), "vertex", "vertices");
    checkFurthest(uvFurthest_, static_cast<long>(mesh_.uvs.size() / 2), "texture coordinate",
                  "texture coordinates");
    checkFurthest(normalFurthest_, normals_, "normal", "normals");
  }

private:
  [[noreturn]] void fail(const std::string& what) const {
    throw FileError(lines_.file() + ", line " + std::to_string(line_) + ": " + what);
  }

  void statement(const Line& line) {
    std::string_view text = line.text;
    size_t bom = 0;
    if (line.number == 1 && text.substr(0, 3) == "\xEF\xBB\xBF")
      bom = 3; // a UTF-8 byte order mark
    splitTokens(text.substr(bom), tokens_);
    // A comment may also close a statement line ("f 1 2 3 # seam").
    for (size_t t = 0; t < tokens_.size(); ++t)
      if (tokens_[t].text[0] == '#' && (t == 0 || tokens_[0].text != "usemtl")) {
        tokens_.resize(t);
        break;
      }
    if (tokens_.empty())
      return;
    if (tokens_.back().text.back() == '\\')
      fail("a line continued with a backslash; join it with the next line");
    const std::string_view keyword = tokens_[0].text;
    if (keyword == "v")
      vertex(line.offset + bom);
    else if (keyword == "vt" && options_.part == ReadPart::Mesh)
      uv();
    else if (keyword == "f" && options_.part == ReadPart::Mesh)
      face();
    else if (keyword == "usemtl" && options_.part == ReadPart::Mesh)
      material(text.substr(bom));
    else if (keyword == "vn" || keyword == "vt" || keyword == "f" || keyword == "usemtl" ||
             kOtherStatements.count(keyword)) {
      normals_ += keyword == "vn";
      ++mesh_.notRead[std::string(keyword)];
    } else {
      fail("\"" + std::string(keyword.substr(0, 40)) + "\" is not an OBJ statement");
    }
  }

  float coordinate(size_t token, const char* what) {
    if (token >= tokens_.size())
      fail(std::string("the line ends before its ") + what);
    float value = 0;
    std::string why;
    if (!parseCoordinate(tokens_[token].text, value, why))
      fail(std::string(what) + " \"" + std::string(tokens_[token].text.substr(0, 40)) +
           "\": " + why);
    return value;
  }

  void vertex(std::uint64_t lineOffset) {
    if (mesh_.vertexCount() >= kMostElements)
      fail("more vertices than a mesh can hold");
    static const char* const kAxes[] = {"x", "y", "z"};
    for (size_t axis = 0; axis < 3; ++axis) {
      mesh_.positions.push_back(coordinate(axis + 1, kAxes[axis]));
      if (options_.keepText) {
        const Token& t = tokens_[axis + 1];
        mesh_.coordinateSpans.push_back(lineOffset + t.column);
        mesh_.coordinateSpans.push_back(lineOffset + t.column + t.text.size());
      }
    }
  }

  void uv() {
    if (mesh_.uvs.size() / 2 >= static_cast<size_t>(kMostElements))
      fail("more texture coordinates than a mesh can hold");
    mesh_.uvs.push_back(coordinate(1, "u"));
    mesh_.uvs.push_back(tokens_.size() > 2 ? coordinate(2, "v") : 0.0f);
  }

  // One part of a corner (v, vt or vn) as a 0-based index; relative ones resolved now.
  int resolve(std::string_view text, long count, Furthest& furthest, const char* what) {
    long index = 0;
    if (!parseIndex(text, index))
      fail(std::string(what) + " index \"" + std::string(text.substr(0, 40)) +
           "\" is not a nonzero whole number");
    if (index < 0) {
      if (-index > count)
        fail(std::string(what) + " index " + std::to_string(index) + " counts back past the " +
             std::to_string(count) + " read so far");
      return static_cast<int>(count + index);
    }
    if (index > furthest.index)
      furthest = Furthest{index, line_};
    return static_cast<int>(index - 1);
  }

  void corner(std::string_view text) {
    const size_t slash1 = text.find('/');
    const size_t slash2 = slash1 == std::string_view::npos ? slash1 : text.find('/', slash1 + 1);
    mesh_.cornerVertex.push_back(
        resolve(text.substr(0, slash1), mesh_.vertexCount(), vertexFurthest_, "vertex"));
    int uv = -1;
    if (slash1 != std::string_view::npos) {
      const std::string_view uvText = text.substr(slash1 + 1, slash2 - slash1 - 1);
      if (!uvText.empty() || slash2 == std::string_view::npos)
        uv = resolve(uvText, static_cast<long>(mesh_.uvs.size() / 2), uvFurthest_,
                     "texture coordinate");
      if (slash2 != std::string_view::npos)
        resolve(text.substr(slash2 + 1), normals_, normalFurthest_, "normal");
    }
    mesh_.cornerUv.push_back(uv);
  }

  void face() {
    if (tokens_.size() < 4)
      fail("a face needs at least three corners, this one has " +
           std::to_string(tokens_.size() - 1));
    if (mesh_.cornerVertex.size() + tokens_.size() >= static_cast<size_t>(kMostElements))
      fail("more face corners than a mesh can hold");
    for (size_t t = 1; t < tokens_.size(); ++t)
      corner(tokens_[t].text);
    mesh_.faceStart.push_back(mesh_.cornerVertex.size());
    mesh_.faceMaterial.push_back(material_);
  }

  void material(std::string_view text) {
    // The name is the rest of the line: names may hold spaces.
    std::string_view name = text.substr(tokens_[0].column + tokens_[0].text.size());
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
      name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
      name.remove_suffix(1);
    for (size_t m = 0; m < mesh_.materials.size(); ++m)
      if (mesh_.materials[m] == name) {
        material_ = static_cast<int>(m);
        return;
      }
    material_ = static_cast<int>(mesh_.materials.size());
    mesh_.materials.emplace_back(name);
  }

  void checkFurthest(const Furthest& furthest, long count, const char* one, const char* many) {
    if (furthest.index <= count)
      return;
    line_ = furthest.line;
    fail(std::string(one) + " index " + std::to_string(furthest.index) + " is past the " +
         std::to_string(count) + " " + (count == 1 ? one : many) + " of the file");
  }

  LineSource& lines_;
  const ReadOptions& options_;
  Mesh& mesh_;
  std::vector<Token> tokens_;
  std::uint64_t line_ = 0;
  int material_ = -1;
  long normals_ = 0;
  Furthest vertexFurthest_, uvFurthest_, normalFurthest_;
};

} // namespace

Mesh readMesh(std::istream& in, const std::string& name, const ReadOptions& options) {
  Mesh mesh;
  mesh.file = name;
  LineSource lines(in, name, options.keepText ? &mesh.text : nullptr);
  Parser(lines, options, mesh).run();
  return mesh;
}

Mesh readMesh(const std::string& path, const ReadOptions& options) {
  InputStream in(path);
  return readMesh(in, path, options);
}

} // namespace runner::obj
