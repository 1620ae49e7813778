// The lines of a Wavefront OBJ file, read in blocks so that a file of any size costs a bounded
// amount of memory, with the checks that tell an OBJ file from something else: text without
// control bytes, not UTF-16, lines of a sane length. Each line comes with its number and the
// offset of its first byte, so that faults name the line and a writer can splice the file.
// Relies on the standard library and FileError (DocumentFile.h).
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace runner::obj {

struct Line {
  std::string_view text; // without its line ending; valid until the next call
  std::uint64_t offset = 0;
  std::uint64_t number = 0; // from 1
};

// The longest line taken for OBJ text: far beyond any real face, far below "a whole file".
const size_t kLongestLine = 4u << 20;

class LineSource {
public:
  // `file` names the file in messages. When `kept` is given, every byte read is appended to it.
  LineSource(std::istream& in, std::string file, std::string* kept = nullptr);
  // The next line; false at the end. Throws FileError when the bytes are not OBJ text.
  bool next(Line& line);
  const std::string& file() const { return file_; }

private:
  bool fill();
  // Whether a byte ends a line; throws for bytes that are no part of text.
  bool isLineEnd(char c) const;

  std::istream& in_;
  std::string file_;
  std::string* kept_;
  std::string buffer_;
  size_t start_ = 0;               // first unconsumed byte of the buffer
  std::uint64_t bufferOffset_ = 0; // file offset of buffer_[0]
  std::uint64_t number_ = 0;
  bool ended_ = false;
};

// A word of a statement line (separated by spaces and tabs) and its column in the line.
struct Token {
  std::string_view text;
  size_t column = 0;
};
void splitTokens(std::string_view line, std::vector<Token>& tokens);

} // namespace runner::obj
