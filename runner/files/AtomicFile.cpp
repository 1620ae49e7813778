#include "AtomicFile.h"

#include "CleanupOnSignal.h"
#include "Utf8.h"

#include <cstdio>
#include <streambuf>
#include <vector>

namespace runner {

namespace {

const size_t kLongestFileName = 255; // bytes, on the usual file systems
const size_t kBufferSize = 1 << 16;

} // namespace

// A stream buffer over the open temporary; large writes go straight to the file.
class AtomicFile::Buffer : public std::streambuf {
public:
  explicit Buffer(native::FileHandle& file) : file_(file), space_(kBufferSize) {
    setp(space_.data(), space_.data() + space_.size());
  }
  bool failed() const { return failed_; }
  bool drain() {
    const std::ptrdiff_t pending = pptr() - pbase();
    if (pending > 0 && !failed_ && !native::writeAll(file_, pbase(), static_cast<size_t>(pending)))
      failed_ = true;
    setp(space_.data(), space_.data() + space_.size());
    return !failed_;
  }

protected:
  int_type overflow(int_type c) override {
    if (!drain())
      return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof()))
      sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* data, std::streamsize count) override {
    if (count < static_cast<std::streamsize>(space_.size()))
      return std::streambuf::xsputn(data, count);
    if (!drain() || !native::writeAll(file_, data, static_cast<size_t>(count))) {
      failed_ = true;
      return 0;
    }
    return count;
  }
  int sync() override { return drain() ? 0 : -1; }

public:
  // Gives the memory back once the file is closed; later writes fail.
  void release() {
    std::vector<char>().swap(space_);
    setp(nullptr, nullptr);
    failed_ = true;
  }

private:
  native::FileHandle& file_;
  std::vector<char> space_;
  bool failed_ = false;
};

std::string temporaryNameFor(const std::string& target, std::uint64_t bits) {
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(bits));
  const size_t slash = target.find_last_of("/\\");
  const size_t leafStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t room = kLongestFileName - (sizeof suffix - 3); // 21 bytes of suffix
  // A shortened name still ends on a whole character.
  return target.substr(0, leafStart) + cutUtf8(target.substr(leafStart), room) + suffix;
}

AtomicFile::AtomicFile(const std::string& target) : AtomicFile(target, target) {}

AtomicFile::AtomicFile(std::string target, std::string permissionsFrom)
    : target_(std::move(target)), permissionsFrom_(std::move(permissionsFrom)),
      buffer_(std::make_unique<Buffer>(file_)),
      stream_(std::make_unique<std::ostream>(buffer_.get())) {}

AtomicFile::~AtomicFile() {
  discard();
}

bool AtomicFile::open() {
  if (pending_)
    return true;
  const std::optional<unsigned> keepMode = native::permissionsOf(permissionsFrom_);
  for (int attempt = 0; attempt < 8; ++attempt) {
    temporary_ = temporaryNameFor(target_, native::unpredictableBits());
    // A signal waits until the new file is on record: none can come in between.
    const cleanup::SignalsHeld held;
    if (native::createExclusive(temporary_, keepMode, file_, error_)) {
      ticket_ = cleanup::rememberFile(temporary_);
      pending_ = true;
      finished_ = false;
      stream_->clear();
      return true;
    }
    if (native::kindAt(temporary_, false) == native::FileKind::Missing)
      break; // not a name clash: trying again will not help
  }
  return false;
}

std::ostream& AtomicFile::stream() {
  return *stream_;
}

bool AtomicFile::finish() {
  if (!pending_)
    return false;
  if (finished_)
    return true;
  stream_->flush();
  bool written = !stream_->bad() && !stream_->fail() && buffer_->drain();
  if (!written)
    error_ = "could not write (disk full?)";
  else if (!native::flushToDisk(file_))
    error_ = "could not flush to the disk", written = false;
  if (!native::closeFile(file_) && written)
    error_ = "could not close", written = false;
  buffer_->release(); // a run may hold thousands of finished pictures
  if (!written) {
    discard();
    return false;
  }
  finished_ = true;
  return true;
}

bool AtomicFile::commit() {
  if (!finish())
    return false;
  if (!native::replaceFile(temporary_, target_)) {
    error_ = "could not rename the temporary file over it";
    discard();
    return false;
  }
  cleanup::forget(ticket_);
  ticket_ = -1;
  pending_ = false;
  return true;
}

void AtomicFile::discard() {
  if (!pending_)
    return;
  native::closeFile(file_);
  native::removeFile(temporary_);
  cleanup::forget(ticket_);
  ticket_ = -1;
  pending_ = false;
  finished_ = false;
}

} // namespace runner
