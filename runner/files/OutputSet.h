// Every file one run writes, for every format, staged and committed together: each file is
// written to a temporary beside its target while the run goes on (AtomicFile) and put in place
// only at commit, so that a run that fails, is refused or is stopped by a signal leaves none of
// them, nor the folders made for them. A write that must commit itself in steps of its own (a
// document with its side file) joins the set as a commit action, run first. Relies on AtomicFile
// and the signal clean-up.
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
  OutputSet() = default;
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Makes the folder and its missing parents, remembering the ones made to remove them again
  // unless the set is committed. Throws FileError.
  void makeFolder(const std::string& path);
  // Writes the bytes to a temporary beside the path. Throws FileError.
  void add(const std::string& path, const std::string& bytes);
  // A temporary beside the path to write into; the file is finished at commit (or when the next
  // file is opened). Throws FileError.
  std::ostream& open(const std::string& path);
  // Runs at commit, before the staged files are put in place; throws FileError to fail the run.
  void addCommit(std::function<void()> commit);
  // The targets of the staged files, in the order they were added.
  std::vector<std::string> targets() const;
  // Runs the commit actions, then puts every staged file in place. Throws FileError when one
  // cannot be (the files committed before it stay).
  void commit();

private:
  void finishOpen();

  std::vector<std::unique_ptr<AtomicFile>> files_;
  bool lastOpen_ = false; // the last file is still being written
  std::vector<std::function<void()>> commits_;
  std::vector<std::pair<std::string, int>> folders_; // made here, with their clean-up tickets
};

} // namespace runner
