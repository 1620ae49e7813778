// The names of a document's side files and the housekeeping around them. A side file is named
// after the document and its own content, "<document file name>.<16 hex digits>.bin" (xxHash of
// its bytes): a write with other data makes a new file, so renaming the JSON over the target is
// the write's one commit; the same data gives the same name, so a document written twice is the
// same twice. A marker "<document file name>.<16 hex digits>.pending" stands beside a side file
// while a write that may leave it unused is under way; the next write removes what leftover
// markers name, unless its document uses it.
#pragma once

#include <cstdint>
#include <string>

namespace runner {

class SideFileNames {
public:
  explicit SideFileNames(const std::string& documentPath);

  // Full paths.
  std::string sideFile(std::uint64_t hash) const;
  // The marker of one of this document's side files.
  std::string marker(const std::string& sideFile) const;
  // Whether the full path names one of this document's side files (by the current rule).
  bool isSideFile(const std::string& path) const;
  const std::string& directory() const { return directory_; }

  // Removes the side files named by markers left beside the document, except keep, and the
  // markers. Only while the folder's writers are locked out.
  void sweep(const std::string& keep) const;

private:
  bool ours(const std::string& fileName, const char* suffix, std::string& hex) const;

  std::string directory_; // "" or ending in a separator
  std::string base_;      // the document's file name, with characters unsafe in names replaced
};

// A side file is named by a plain file name in the document's own folder: no folder part, no
// drive, not "." or "..".
bool isPlainFileName(const std::string& name);

// Removes a file if it is there: housekeeping after a commit. False when it could not (the file
// stays for a later write to remove).
bool removeQuietly(const std::string& path);

} // namespace runner
