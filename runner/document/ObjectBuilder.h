// Turns an object as the streaming reader collected it into a host object, with every check of
// counts, indices, unique IDs and attributes; messages name the object, the member and the
// index. Data blocks are loaded here, from inline base64 or straight from the side file into
// the arrays.
#pragma once

#include "InputFile.h"
#include "RawObject.h"
#include "SimHost.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace runner {

// "1 vertex", "3 vertices", "2 faces".
std::string counted(size_t count, const std::string& what);
// A place in the document and an index: "faces.points[3]".
std::string at(const std::string& place, size_t index);

// The document's binary side file, once the document named it.
struct SideFile {
  InputFile file;
  std::string shownName; // as messages name it: beside the document
  std::uint64_t size = 0;
  bool open = false;
};

class ObjectBuilder {
public:
  // Called with the side-file bytes read so far.
  using Progress = std::function<void(std::uint64_t bytes)>;

  ObjectBuilder(std::string path, SideFile& side, Progress progress)
      : path_(std::move(path)), side_(side), progress_(std::move(progress)) {}

  void build(RawObject& raw, sim::Document& document);

private:
  // A numeric array with its values loaded.
  template <typename T> struct Column {
    std::vector<T> values;
    std::vector<std::uint32_t> rows;
    bool nested = false;
  };

  [[noreturn]] void fail(const std::string& place, const std::string& what) const;
  template <typename T> Column<T> take(RawColumn<T>& raw, const std::string& place);
  template <typename T>
  void block(const BlockHeader& header, const std::string& place, std::vector<T>& out);
  // A float32 block of count values straight into an array of packed float records.
  template <typename Record>
  void blockInto(const BlockHeader& header, const std::string& place, std::uint32_t count,
                 std::vector<Record>& out);
  void positionsFrom(Column<float>&& p, const std::string& place, sim::Object& object);
  std::uint32_t blockCount(const BlockHeader& header, const std::string& place,
                           const char* type) const;
  void checkBlockData(const BlockHeader& header, const std::string& place, std::uint32_t count,
                      std::uint64_t bytes) const;
  void fillBlock(const BlockHeader& header, const std::string& place, void* out,
                 std::uint64_t bytes);
  template <typename T>
  std::vector<T> flatColumn(RawColumn<T>& raw, const std::string& place, size_t expected,
                            const char* per);
  std::vector<std::uint32_t> uniqueIds(RawColumn<std::uint32_t>& raw, const std::string& place,
                                       size_t count, const char* per);
  std::vector<int> indexList(RawColumn<std::int32_t>& raw, const std::string& place, size_t count,
                             const char* what);
  int integer(const Scalar& value, const std::string& place, int fallback) const;
  std::uint32_t flag(const Scalar& value, const std::string& place, std::uint32_t whenTrue,
                     std::uint32_t fallback) const;

  void readVertices(RawObject& raw, const std::string& place, sim::Object& object);
  void readFaces(RawObject& raw, const std::string& place, sim::Object& object);
  // Shares an element's arrays with its base's (an object read earlier) where they are equal.
  static void shareWithBase(const sim::Document& document, sim::Object& object);
  void readFacePoints(Column<std::int32_t>& points, const std::vector<int>& sizes,
                      const std::string& place, sim::Object& object);
  void readFaceValues(RawObject& raw, const std::string& place, size_t faceCount,
                      sim::Object& object);
  void readCornerValues(RawObject& raw, const std::string& place, const std::vector<int>& sizes,
                        sim::Object& object);
  std::vector<int> faceSizes(RawObject& raw, const std::string& place,
                             const Column<std::int32_t>& points);
  void readCornerColumn(RawColumn<float>& raw, const std::string& place, size_t perPoint,
                        const char* what, const std::vector<int>& sizes, size_t corners,
                        std::vector<float>& out);

  std::string path_;
  SideFile& side_;
  Progress progress_;
  // Progress through the side file: blocks that several objects share count once, and it never
  // counts past the file's size (blocks of a hostile file may overlap).
  std::uint64_t sideBytesRead_ = 0;
  std::set<std::pair<std::uint64_t, std::uint64_t>> blocksRead_; // offset, bytes
};

} // namespace runner
