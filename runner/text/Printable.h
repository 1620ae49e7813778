// Text from documents and file names made safe to print on a terminal: control characters, the
// escape character that starts terminal commands, the C1 controls, the marks that reverse the
// direction of text, and bytes that are not UTF-8 are shown as escapes (\x1b, \u202e), so that a
// name can neither move the cursor nor recolour or hide what follows. Everything else, Japanese
// included, is printed as it is.
#pragma once

#include <string>

namespace runner {

std::string printable(const std::string& text);

} // namespace runner
