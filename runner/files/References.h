// Files that a file refers to by name: a glTF file's buffers and images, a document's side file.
// A reference is read only when it names a file inside the referring file's own folder (or
// below it), whatever spelling it uses: percent-escapes (for URIs), "..", links. Anything else is
// refused with a FileError naming the referring file and the place of the reference, so that no
// file can make the runner read, or copy into an output, a file from elsewhere.
#pragma once

#include <string>

namespace runner {

enum class ReferenceForm {
  FileName, // a plain relative file name, as written
  Uri,      // a relative URI: percent-escapes are decoded first
};

// The path of the file referred to, joined to the referring file's folder. Throws FileError when
// the reference is absolute, carries a scheme or a drive, or resolves (after "..", and links for
// the parts that exist) outside that folder.
std::string referencedPath(const std::string& referringFile, const std::string& reference,
                           const std::string& place, ReferenceForm form);

// A URI's text with its percent-escapes decoded ("%20" to a space); a "%" not followed by two hex
// digits stays as it is.
std::string percentDecoded(const std::string& uri);

} // namespace runner
