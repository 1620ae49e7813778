// Documents are UTF-8, and the plug-in reads host names in the character encoding of the user's
// locale (it sets the character-type category from the environment when its dialog opens). So
// that a run does not depend on how the shell was set up (LC_ALL=C, LANG unset), the runner makes
// the environment name a UTF-8 character type when it does not already, leaving every other
// category as the user set it. The plug-in's own conversion is not touched. POSIX only: on
// Windows the user's locale comes from the system, not from the environment.
#pragma once

#include <string>

namespace runner {

// Answers the locale name put into the environment, or empty when it already named UTF-8 (or
// no UTF-8 locale is installed, or on Windows).
std::string ensureUtf8CharacterTypes();

} // namespace runner
