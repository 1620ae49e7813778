// Document files: the simulated host's documents on disk, as JSON (schema in
// docs/document-format.md). Large numeric arrays may be stored as little-endian 32-bit blocks,
// inline in base64 or in a binary side file beside the JSON, so that real characters load at
// disk speed; small documents stay readable. Single-precision values survive a write and a read
// bit for bit. Relies on nlohmann-json (its streaming parser), xxHash and the simulated host's
// document API.
#pragma once

#include "SimHost.h"

#include <cstdint>
#include <functional>
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
  Automatic, // readable when small, otherwise a binary side file beside the JSON
  Readable,  // every number written out as JSON text
  Base64,    // numeric arrays as base64 blocks inside the JSON
  SideFile,  // numeric arrays in a binary side file beside the JSON
};

// How far a read or a write has come, in units of work (bytes read; values written): done grows
// to total, which may grow too while a read learns of a side file.
using DocumentProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Reads a document file into an empty document. Throws DocumentError.
void readDocument(const std::string& path, sim::Document& document,
                  const DocumentProgress& progress = DocumentProgress());

// Writes the document as one commit: the side file (if any) under a name of its own, recorded in
// the JSON, then the JSON to a temporary file renamed over the target. The target holds the old
// document or the new one, whole, whatever happens; side files no document uses any more are
// removed after. Throws DocumentError.
void writeDocument(const std::string& path, const sim::Document& document, DataLayout layout,
                   const DocumentProgress& progress = DocumentProgress());

// The side file the document at path names (its full path beside the document), or "" when the
// file is no document of ours or has none. A write to path removes this file once it is no
// longer used: a caller that reads one document and writes another can check that they do not
// share it.
std::string referencedSideFile(const std::string& path);

} // namespace runner
