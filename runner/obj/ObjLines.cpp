#include "ObjLines.h"

#include "FileError.h"

#include <cstdio>

namespace runner::obj {

namespace {

const size_t kBlock = 1u << 20;

std::string lineName(const std::string& file, std::uint64_t number) {
  return file + ", line " + std::to_string(number);
}

} // namespace

LineSource::LineSource(std::istream& in, std::string file, std::string* kept)
    : in_(in), file_(std::move(file)), kept_(kept) {}

bool LineSource::fill() {
  if (ended_)
    return false;
  if (start_ > 0) {
    buffer_.erase(0, start_);
    bufferOffset_ += start_;
    start_ = 0;
  }
  const size_t old = buffer_.size();
  buffer_.resize(old + kBlock);
  in_.read(&buffer_[old], static_cast<std::streamsize>(kBlock));
  const size_t got = static_cast<size_t>(in_.gcount());
  buffer_.resize(old + got);
  if (in_.bad())
    throw FileError(file_ + ": could not be read");
  if (got < kBlock)
    ended_ = true;
  if (kept_)
    kept_->append(buffer_, old, got);
  if (old == 0 && bufferOffset_ == 0 && got >= 2) {
    const unsigned char a = static_cast<unsigned char>(buffer_[0]),
                        b = static_cast<unsigned char>(buffer_[1]);
    if ((a == 0xFE && b == 0xFF) || (a == 0xFF && b == 0xFE))
      throw FileError(file_ + ": UTF-16 text; OBJ files are read as ASCII or UTF-8, so save "
                              "it in one of those");
  }
  return got > 0;
}

bool LineSource::isLineEnd(char c) const {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u >= 0x20 || c == '\t' || c == '\f' || c == '\v')
    return false;
  if (c == '\n' || c == '\r')
    return true;
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", u);
  throw FileError(lineName(file_, number_ + 1) + ": the byte " + code +
                  " is no part of OBJ text (is this an OBJ file?)");
}

bool LineSource::next(Line& line) {
  size_t end = start_;
  for (;;) {
    while (end < buffer_.size() && !isLineEnd(buffer_[end]))
      ++end;
    // A carriage return at the end of the buffer may be the first half of a CR LF.
    const bool complete = end + 1 < buffer_.size() || (end < buffer_.size() && ended_) ||
                          (end < buffer_.size() && buffer_[end] == '\n');
    if (complete)
      break;
    if (end - start_ > kLongestLine)
      throw FileError(lineName(file_, number_ + 1) + ": a line longer than " +
                      std::to_string(kLongestLine >> 20) + " MiB (is this an OBJ file?)");
    const size_t scanned = end - start_;
    if (!fill()) {
      if (start_ == buffer_.size())
        return false;
      end = buffer_.size(); // the last line, without a line ending
      break;
    }
    end = start_ + scanned;
  }
  if (end - start_ > kLongestLine)
    throw FileError(lineName(file_, number_ + 1) + ": a line longer than " +
                    std::to_string(kLongestLine >> 20) + " MiB (is this an OBJ file?)");
  line.text = std::string_view(buffer_).substr(start_, end - start_);
  line.offset = bufferOffset_ + start_;
  line.number = ++number_;
  size_t next = end;
  if (next < buffer_.size())
    next +=
        (buffer_[next] == '\r' && next + 1 < buffer_.size() && buffer_[next + 1] == '\n') ? 2 : 1;
  start_ = next;
  return true;
}

void splitTokens(std::string_view line, std::vector<Token>& tokens) {
  tokens.clear();
  size_t i = 0;
  for (;;) {
    while (i < line.size() &&
           (line[i] == ' ' || line[i] == '\t' || line[i] == '\f' || line[i] == '\v'))
      ++i;
    if (i == line.size())
      return;
    const size_t begin = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\f' &&
           line[i] != '\v')
      ++i;
    tokens.push_back(Token{line.substr(begin, i - begin), begin});
  }
}

} // namespace runner::obj
