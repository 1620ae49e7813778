// The outputs besides the document (the options dialog page, the pictures): written to
// temporaries while the run goes on and put in place only once the document is written, so that
// a run that fails, is cancelled or is stopped by a signal leaves none of them, nor the folders
// made for them. Relies on AtomicFile and the signal clean-up.
#pragma once

#include "AtomicFile.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace runner {

class StagedOutputs {
public:
  StagedOutputs() = default;
  ~StagedOutputs();
  StagedOutputs(const StagedOutputs&) = delete;
  StagedOutputs& operator=(const StagedOutputs&) = delete;

  // Makes the folder and its missing parents, remembering the ones made to remove them again.
  // Throws RunError(kExitFailure).
  void makeFolder(const std::string& path);
  // Writes the bytes to a temporary beside the path. Throws RunError(kExitFailure).
  void add(const std::string& path, const std::string& bytes);
  // Puts every file in place. Throws RunError(kExitFailure) when one cannot be.
  void commit();

private:
  std::vector<std::unique_ptr<AtomicFile>> files_;
  std::vector<std::pair<std::string, int>> folders_; // made here, with their clean-up tickets
};

} // namespace runner
