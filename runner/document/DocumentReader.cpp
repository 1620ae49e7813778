// Reading document files: the JSON streamed through the structure checks, each object built as
// soon as it is complete, data blocks read straight into the host object's arrays.
#include "DocumentEvents.h"
#include "DocumentFile.h"
#include "JsonInput.h"
#include "ObjectBuilder.h"
#include "References.h"
#include "SideFiles.h"

#include <deque>
#include <memory>
#include <new>

namespace runner {

namespace {

std::string directoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The side file is gone because another write replaced the document meanwhile: worth reading
// the new document from the start.
class DocumentReplaced : public FileError {
public:
  using FileError::FileError;
};

class Assembly : public DocumentAssembly {
public:
  Assembly(const std::string& path, sim::Document& document, const FileProgress& progress,
           const InputFile& documentFile)
      : path_(path), document_(document), progress_(progress), documentFile_(documentFile),
        documentBytes_(documentFile.size()),
        builder_(path, side_, [this](std::uint64_t bytes) { report(jsonBytes_, bytes); }) {}

  void report(std::uint64_t jsonBytes, std::uint64_t sideBytes) {
    jsonBytes_ = jsonBytes, sideBytes_ = sideBytes;
    if (progress_)
      progress_(jsonBytes_ + sideBytes_, std::max(documentBytes_, jsonBytes_) + side_.size);
  }
  std::uint64_t sideBytes() const { return sideBytes_; }

  void confirmed() override {
    confirmed_ = true;
    flush(false);
  }
  void binary(const Scalar& file, const Scalar& bytes) override;
  void slot(RawObject* object) override {
    // Objects wait while the file has not yet shown itself a document, or while they need a
    // side file it has not named yet; the order of slots stays.
    if (waiting_.empty() && confirmed_ && (!object || !object->usesSideFile() || binarySeen_)) {
      build(object);
      return;
    }
    waiting_.push_back(object ? std::make_unique<RawObject>(std::move(*object)) : nullptr);
  }
  void finished() override { flush(true); }

private:
  void build(RawObject* object) {
    if (object)
      builder_.build(*object, document_);
    else
      document_.addEmptySlot();
  }
  void flush(bool all) {
    while (!waiting_.empty() &&
           (all || (confirmed_ &&
                    (!waiting_.front() || !waiting_.front()->usesSideFile() || binarySeen_)))) {
      build(waiting_.front().get());
      waiting_.pop_front();
    }
  }
  [[noreturn]] void fail(const std::string& place, const std::string& what) const {
    throw FileError(path_ + ": " + place + ": " + what);
  }

  const std::string& path_;
  sim::Document& document_;
  const FileProgress& progress_;
  const InputFile& documentFile_;
  std::uint64_t documentBytes_, jsonBytes_ = 0, sideBytes_ = 0;
  SideFile side_;
  ObjectBuilder builder_;
  bool confirmed_ = false, binarySeen_ = false;
  std::deque<std::unique_ptr<RawObject>> waiting_;
};

void Assembly::binary(const Scalar& file, const Scalar& bytes) {
  if (file.kind != ValueKind::Text || file.text.empty() || bytes.kind != ValueKind::Unsigned)
    fail("binary", "expected {\"file\": name of the binary file beside the document, "
                   "\"bytes\": its size}");
  if (!isPlainFileName(file.text))
    fail("binary.file", quotedText(file.text, 80) +
                            " is not a plain file name: the binary file must lie beside the "
                            "document, named without a folder");
  referencedPath(path_, file.text, "binary.file", ReferenceForm::FileName); // inside the folder
  side_.shownName = directoryOf(path_) + file.text;
  std::string why;
  if (!side_.file.open(side_.shownName, why)) {
    const std::string message = path_ + ": binary: cannot open " + side_.shownName + ": " + why;
    if (side_.file.missing() && document_.slotCount() == 0 &&
        InputFile::identityOf(path_) != documentFile_.identity())
      throw DocumentReplaced(message);
    throw FileError(message);
  }
  side_.size = side_.file.size();
  side_.open = true;
  if (side_.size != bytes.number.unsigned_)
    fail("binary", side_.shownName + " has " + std::to_string(side_.size) + " bytes, not the " +
                       std::to_string(bytes.number.unsigned_) + " this document was written with");
  binarySeen_ = true;
  flush(false);
}

void readOnce(const std::string& path, sim::Document& document, const FileProgress& progress) {
  InputFile file;
  std::string why;
  if (!file.open(path, why))
    throw FileError(path + ": cannot open the file: " + why);
  Assembly assembly(path, document, progress, file);
  DocumentEvents events(path, assembly);
  JsonInput input(file, [&](std::uint64_t done) { assembly.report(done, assembly.sideBytes()); });
  try {
    nlohmann::json::sax_parse(input.begin(), input.end(), &events);
  } catch (const FileError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw FileError(path + ": not enough memory to read the document");
  } catch (const std::exception& e) {
    throw FileError(path + ": could not read the file: " + e.what());
  }
}

} // namespace

void readDocument(const std::string& path, sim::Document& document, const FileProgress& progress) {
  for (int attempt = 1;; ++attempt) {
    try {
      readOnce(path, document, progress);
      return;
    } catch (const DocumentReplaced& e) {
      if (attempt == 3)
        throw FileError(e.what());
    }
  }
}

} // namespace runner
