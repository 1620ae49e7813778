// Text the runner shows or stores, in one place: UTF-8 cut to a number of bytes without splitting
// a character, and names in quotes for messages.
#pragma once

#include <cstddef>
#include <string>

namespace runner {

// At most `bytes` bytes of the text; when it is longer, the cut moves back to where the
// character at the cut begins (bytes that are no UTF-8 are cut where they are).
std::string cutUtf8(const std::string& text, std::size_t bytes);

// The text in double quotes, as messages name files, objects and values.
std::string quoted(const std::string& text);

} // namespace runner
