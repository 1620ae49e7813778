// Document files: the simulated host's documents on disk, as JSON (schema in
// docs/document-format.md). Large numeric arrays may be stored as little-endian 32-bit blocks,
// inline in base64 or in a binary file beside the JSON, so that real characters stay fast to
// load; small documents stay readable. Single-precision values survive a write and a read bit
// for bit. Relies on nlohmann-json and the simulated host's document API.
#pragma once

#include "SimHost.h"

#include <stdexcept>
#include <string>

namespace runner {

// A fault in a document file, or in writing one, in words for the user: the file, the place
// (JSON path, object, vertex or face index) and what is wrong.
class DocumentError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class DataLayout {
  Automatic, // readable when small, otherwise a binary file beside the JSON
  Readable,  // every number written out as JSON text
  Base64,    // numeric arrays as base64 blocks inside the JSON
  SideFile,  // numeric arrays in "<name>.bin" beside the JSON
};

// Reads a document file into an empty document. Throws DocumentError.
void readDocument(const std::string& path, sim::Document& document);

// Writes the document: to a temporary file beside the target first, then renamed over it, so
// that an interrupted write never leaves half a document. Throws DocumentError.
void writeDocument(const std::string& path, const sim::Document& document, DataLayout layout);

// The name of the binary file that holds a document's blocks in the side-file layout.
std::string sideFileName(const std::string& path);

} // namespace runner
