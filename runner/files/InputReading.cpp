// Reading a whole input file, or reading it as a stream, through InputFile's rules.
#include "FileError.h"
#include "InputFile.h"

namespace runner {

namespace {

InputFile& opened(InputFile& file, const std::string& path) {
  std::string why;
  if (!file.open(path, why))
    throw FileError(path, "", file.missing() ? "no such file" : why);
  return file;
}

} // namespace

std::vector<std::uint8_t> readWholeFile(const std::string& path, std::uint64_t limit) {
  InputFile file;
  opened(file, path);
  if (file.size() > limit)
    throw FileError(path, "",
                    std::to_string(file.size()) + " bytes, more than the " + std::to_string(limit) +
                        " this reader takes");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
  std::string why;
  if (!bytes.empty() && !file.readAt(0, bytes.data(), bytes.size(), why))
    throw FileError(path, "", "cannot read the file: " + why);
  return bytes;
}

class InputStream::Buffer : public std::streambuf {
public:
  explicit Buffer(const std::string& path) { opened(file_, path); }
  std::uint64_t size() const { return file_.size(); }

protected:
  int_type underflow() override {
    if (gptr() < egptr())
      return traits_type::to_int_type(*gptr());
    // A read error throws: the stream catches it and sets its bad bit.
    const std::size_t got = file_.read(bytes_, sizeof bytes_);
    if (got == 0)
      return traits_type::eof();
    setg(bytes_, bytes_, bytes_ + got);
    return traits_type::to_int_type(*gptr());
  }

private:
  InputFile file_;
  char bytes_[1 << 16];
};

InputStream::InputStream(const std::string& path)
    : std::istream(nullptr), buffer_(std::make_unique<Buffer>(path)) {
  rdbuf(buffer_.get());
}

InputStream::~InputStream() = default;

std::uint64_t InputStream::size() const {
  return buffer_->size();
}

} // namespace runner
