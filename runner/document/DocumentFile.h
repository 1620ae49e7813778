// Document files: the simulated host's documents on disk, as JSON (schema in
// docs/document-format.md). Large numeric arrays may be stored as little-endian 32-bit blocks,
// inline in base64 or in a binary side file beside the JSON, so that real characters load at
// disk speed; small documents stay readable. Single-precision values survive a write and a read
// bit for bit. Relies on nlohmann-json (its streaming parser), xxHash and the simulated host's
// document API.
#pragma once

#include "FileError.h"
#include "FileProgress.h"
#include "SimHost.h"

#include <cstdint>
#include <string>

namespace runner {

enum class DataLayout {
  Automatic, // readable when small, otherwise a binary side file beside the JSON
  Readable,  // every number written out as JSON text
  Base64,    // numeric arrays as base64 blocks inside the JSON
  SideFile,  // numeric arrays in a binary side file beside the JSON
};

// Reads a document file into an empty document. Throws FileError.
void readDocument(const std::string& path, sim::Document& document,
                  const FileProgress& progress = FileProgress());

// Writes the document as one commit: the side file (if any) under a name of its own, recorded in
// the JSON, then the JSON to a temporary file renamed over the target. The target holds the old
// document or the new one, whole, whatever happens; side files no document uses any more are
// removed after. Throws FileError.
void writeDocument(const std::string& path, const sim::Document& document, DataLayout layout,
                   const FileProgress& progress = FileProgress());

// The side file the document at path names (its full path beside the document), or "" when the
// file is no document of ours or has none. A write to path removes this file once it is no
// longer used: a caller that reads one document and writes another can check that they do not
// share it.
std::string referencedSideFile(const std::string& path);

} // namespace runner
