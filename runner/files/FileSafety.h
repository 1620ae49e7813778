// Checks made before a run writes anything, so that it never destroys what it reads or what it
// writes itself: no output may be an input or another output (compared as real files: links
// and ".." resolved, hard links seen), and no output may be a folder, a device or a pipe. Any
// reader or writer of a file format lists its files here. Relies on NativeFiles.h.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace runner {

// A refused output, in words for the user: the file, what it is, what to do instead.
class OutputRefusal : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The files of one thing a run reads or writes: its main file first, then the companions that
// belong to it (a document's side file). `what` names it in messages ("the input document",
// "the dialog page"). An output document may replace an input document as a whole (its main
// file being the input's main file) when the user asks for it; nothing else may.
struct FileGroup {
  std::string what;
  std::vector<std::string> paths;
  bool document = false;
};

struct FileCheckOptions {
  bool replaceInput = false; // --force: an output document may replace the input document
  std::string replaceFlag = "--force";
};

// Throws OutputRefusal for the first output that would overwrite an input (other than the
// permitted whole-document replacement) or another output, or that names something other than
// a regular file (a link to a regular file is fine: the link itself is replaced).
void checkOutputs(const std::vector<FileGroup>& inputs, const std::vector<FileGroup>& outputs,
                  const FileCheckOptions& options);

} // namespace runner
