// Every file one run writes, for every format, staged and committed together: each file is
// written to a temporary beside its target while the run goes on (AtomicFile) and put in place
// only at commit, so that a run that fails, is refused or is stopped by a signal leaves none of
// them, nor the folders made for them. A write that must commit itself in steps of its own (a
// document with its side file) joins the set as a commit action, run first. A file staged with a
// read-back is read back by its format's own reader once written, before anything is committed:
// a file that does not read back fails the run and no output is put in place. Relies on
// AtomicFile and the signal clean-up.
#pragma once

#include "AtomicFile.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace runner {

class OutputSet {
public:
  // Reads a staged file back from `staged` (its temporary), as the format reads its inputs;
  // throws FileError when it does not read back as written.
  using ReadBack = std::function<void(const std::string& staged)>;

  OutputSet() = default;
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Makes the folder and its missing parents, remembering the ones made to remove them again
  // unless the set is committed. Throws FileError.
  void makeFolder(const std::string& path);
  // Writes the bytes to a temporary beside the path. Throws FileError.
  void add(const std::string& path, const std::string& bytes, ReadBack readBack = {});
  // A temporary beside the path to write into; the file is finished at commit (or when the next
  // file is opened). Throws FileError.
  std::ostream& open(const std::string& path, ReadBack readBack = {});
  // Where a file at `path` is to be read before the commit: the temporary staged for it, or the
  // path itself when nothing is staged there.
  std::string stagedPath(const std::string& path) const;
  // Runs at commit, before the staged files are put in place; throws FileError to fail the run.
  void addCommit(std::function<void()> commit);
  // The targets of the staged files, in the order they were added.
  std::vector<std::string> targets() const;
  // Reads back the files staged with a read-back, runs the commit actions, then puts every staged
  // file in place. Throws FileError when a file does not read back (nothing is committed) or
  // cannot be put in place (the files committed before it stay).
  void commit();

private:
  void finishOpen();
  void readBack() const;

  std::vector<std::unique_ptr<AtomicFile>> files_;
  std::vector<ReadBack> readBacks_; // one for each staged file, maybe empty
  bool lastOpen_ = false;           // the last file is still being written
  std::vector<std::function<void()>> commits_;
  std::vector<std::pair<std::string, int>> folders_; // made here, with their clean-up tickets
};

} // namespace runner
