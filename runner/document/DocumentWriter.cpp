// Writing document files as one commit. In the side-file layout the blocks are placed and their
// bytes hashed first, naming the side file; it is written and committed under that name, then the
// JSON that names it is renamed over the target: the one moment the document changes. Side files
// that no longer serve are removed after, while the folder's other writers wait.
#include "AtomicFile.h"
#include "CleanupOnSignal.h"
#include "DirectoryLock.h"
#include "DocumentFile.h"
#include "DocumentText.h"
#include "SideFilePlan.h"
#include "SideFiles.h"
#include "WriteSteps.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

namespace runner {

namespace {

// Above this many numbers a document is written in the side-file layout by default.
const size_t kReadableLimit = 2000000;
// How long a write waits for another writer of the same folder before it goes ahead without
// removing anything.
const double kLockWaitSeconds = 60;

DataLayout resolve(DataLayout layout, const sim::Document& document) {
  if (layout != DataLayout::Automatic)
    return layout;
  size_t numbers = 0;
  for (const sim::Object* object : document.objects())
    numbers += object->positions.size() * 3 + object->points.size() * 4;
  return numbers <= kReadableLimit ? DataLayout::Readable : DataLayout::SideFile;
}

std::string fileName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string errorText(int error) {
  return std::generic_category().message(error);
}

// How many values the document holds in all (for progress), and in the side-file layout where
// each block goes.
struct Blocks {
  std::uint64_t values = 0;
  SideFilePlan plan;
};

void measure(const sim::Document& document, bool readable, bool sideLayout, Blocks& blocks) {
  ObjectColumns columns;
  for (const sim::Object* object : document.objects()) {
    collectColumns(*object, readable, columns);
    for (const auto* list : {&columns.vertices, &columns.faces})
      for (const ColumnData& column : *list) {
        blocks.values += column.count;
        if (sideLayout)
          blocks.plan.add(column);
      }
  }
}

// Places a marker; answers its ticket in the record of files a signal removes.
int placeMarker(const std::string& marker) {
  AtomicFile file(marker);
  const int injected = writeStep("marker " + fileName(marker));
  const cleanup::SignalsHeld held;
  if (injected || !file.open() || !file.commit())
    throw FileError(
        marker + ": could not create the file: " + (injected ? errorText(injected) : file.error()));
  return cleanup::rememberFile(marker);
}

bool exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

class PairWrite {
public:
  PairWrite(const std::string& path, const sim::Document& document, DataLayout layout,
            const FileProgress& progress)
      : path_(path), document_(document), layout_(resolve(layout, document)), progress_(progress),
        names_(path), lock_(names_.directory(), kLockWaitSeconds) {}
  ~PairWrite() {
    for (int ticket : {sideTicket_, sideMarkerTicket_, displacedMarkerTicket_})
      cleanup::forget(ticket);
  }

  void run() {
    writeStep("lock");
    const std::string displaced = referencedSideFile(path_);
    displaced_ = names_.isSideFile(displaced) ? displaced : std::string();
    try {
      write();
    } catch (...) {
      if (lock_.held() && !sideExisted_ && !side_.empty() && side_ != displaced_ &&
          removeQuietly(side_))
        removeQuietly(names_.marker(side_));
      if (lock_.held() && !displaced_.empty()) // still the document's own
        removeQuietly(names_.marker(displaced_));
      throw;
    }
    if (!lock_.held())
      return; // another writer kept the folder: the next write clears up
    // A marker goes only with its side file, so that what is left is found again.
    if (!displaced_.empty() && displaced_ != side_ && removeQuietly(displaced_))
      removeQuietly(names_.marker(displaced_));
    if (!side_.empty())
      removeQuietly(names_.marker(side_));
    names_.sweep(side_);
  }

private:
  void write();
  void fail(const std::string& file, const std::string& what, int injected = 0) {
    throw FileError(file + ": " + what + (injected ? ": " + errorText(injected) : ""));
  }

  const std::string& path_;
  const sim::Document& document_;
  const DataLayout layout_;
  const FileProgress& progress_;
  SideFileNames names_;
  DirectoryLock lock_;
  std::string displaced_, side_;
  bool sideExisted_ = false;
  // Files a signal removes while the document is not committed: the new side file, the markers.
  int sideTicket_ = -1, sideMarkerTicket_ = -1, displacedMarkerTicket_ = -1;
};

void PairWrite::write() {
  const bool sideLayout = layout_ == DataLayout::SideFile;
  const bool readable = layout_ == DataLayout::Readable;
  writeStep("measure");
  Blocks blocks;
  measure(document_, readable, sideLayout, blocks);
  AtomicFile json(path_);
  int injected = writeStep("open");
  if (injected || !json.open())
    fail(path_, "cannot create the file (is the folder there and writable?)", injected);
  if (sideLayout) {
    side_ = names_.sideFile(blocks.plan.hash());
    sideExisted_ = exists(side_);
    // A side file under this name already holds these bytes: it is neither new nor ours to
    // remove.
    if (side_ != displaced_ && !sideExisted_)
      sideMarkerTicket_ = placeMarker(names_.marker(side_));
  }
  // The new side file is no more open than the one it supersedes, else than the document.
  const std::string& permissionsFrom = native::permissionsOf(displaced_) ? displaced_ : path_;
  std::optional<AtomicFile> side;
  if (sideLayout &&
      ((injected = writeStep("open side")) || !side.emplace(side_, permissionsFrom).open()))
    fail(side_, "cannot create the file", injected);
  DocumentText text(json.stream(), side ? &side->stream() : nullptr, layout_, progress_,
                    blocks.values, &blocks.plan);
  text.head(fileName(side_), blocks.plan.bytes());
  int writeFault = 0; // as a write that fails part way
  for (int s = 0; s < document_.slotCount(); ++s) {
    if (!writeFault && (writeFault = writeStep("slot " + std::to_string(s))))
      json.stream().setstate(std::ios::badbit);
    text.slot(document_.objectAt(s), s + 1 == document_.slotCount());
  }
  text.tail();
  if (!text.sideWritten())
    fail(side_, "could not write the file (disk full?)");
  if ((injected = writeStep("finish")) || !text.finish())
    fail(path_, "could not write the file (disk full?)", injected ? injected : writeFault);
  if (side) {
    const cleanup::SignalsHeld held;
    if ((injected = writeStep("commit side")) || !side->commit())
      fail(side_, "could not write the file (disk full?)", injected);
    if (!sideExisted_)
      sideTicket_ = cleanup::rememberFile(side_);
  }
  if (!displaced_.empty() && displaced_ != side_)
    displacedMarkerTicket_ = placeMarker(names_.marker(displaced_));
  const cleanup::SignalsHeld held;
  if ((injected = writeStep("commit")) || !json.commit())
    fail(path_, "could not write the file (disk full?)", injected);
  // Committed: the new side file is the document's now, and the old one is for the next write to
  // remove if this one cannot.
  for (int* ticket : {&sideTicket_, &displacedMarkerTicket_}) {
    cleanup::forget(*ticket);
    *ticket = -1;
  }
}

} // namespace

void writeDocument(const std::string& path, const sim::Document& document, DataLayout layout,
                   const FileProgress& progress) {
  PairWrite(path, document, layout, progress).run();
}

} // namespace runner
