// Support for the document-commit tests: three documents whose side files differ, and what a
// folder holds after a write.
#pragma once

#include "DocumentFile.h"
#include "RunnerTestSupport.h"
#include "WriteSteps.h"

#include <string>

namespace runner_test {

// Small characters that differ in one vertex, with their canonical texts.
struct Variants {
  Variants();
  sim::Host host;
  sim::Document &a, &b, &c;
  std::string describedA, describedB, describedC;
};

// sim::describe of the document at path, or "refused: <message>".
std::string loaded(const std::string& path);

// The file name of the side file the document names ("" for none).
std::string sideFileName(const std::string& documentPath);

// Side files and markers of the named document in the folder that its JSON does not use,
// space-separated ("" when there are none).
std::string strays(const ScratchFolder& dir, const std::string& documentName);

// The folder's listing without the temporary files of the atomic-file layer, which a kill
// leaves behind (everything but the document, side files and markers).
std::string ownListing(const ScratchFolder& dir, const std::string& documentName);

} // namespace runner_test
