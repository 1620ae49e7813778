#include "UserLocale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <langinfo.h>
#include <locale.h>
#endif

namespace runner {

#ifdef _WIN32

std::string ensureUtf8CharacterTypes() {
  return std::string();
}

#else

namespace {

// Whether the environment's character type, as setlocale(LC_CTYPE, "") takes it, is UTF-8. The
// program's own locale is put back afterwards.
bool environmentNamesUtf8() {
  const std::string before = std::setlocale(LC_CTYPE, nullptr);
  const bool utf8 =
      std::setlocale(LC_CTYPE, "") != nullptr && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  std::setlocale(LC_CTYPE, before.c_str());
  return utf8;
}

// The first installed UTF-8 locale of a few that every system of ours has one of.
std::string installedUtf8Locale() {
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"}) {
    if (locale_t probe = newlocale(LC_CTYPE_MASK, name, nullptr)) {
      freelocale(probe);
      return name;
    }
  }
  return std::string();
}

} // namespace

std::string ensureUtf8CharacterTypes() {
  if (environmentNamesUtf8())
    return std::string();
  std::string utf8 = installedUtf8Locale();
  if (utf8.empty())
    return utf8;
  // LC_ALL overrides every category: hand its value to each other category by name, so that
  // only the character type changes.
  if (const char* all = std::getenv("LC_ALL"); all && *all) {
    const std::string value = all;
    for (const char* category :
         {"LC_COLLATE", "LC_MONETARY", "LC_NUMERIC", "LC_TIME", "LC_MESSAGES", "LC_PAPER",
          "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"})
      setenv(category, value.c_str(), 1);
    unsetenv("LC_ALL");
  }
  setenv("LC_CTYPE", utf8.c_str(), 1);
  return environmentNamesUtf8() ? utf8 : std::string();
}

#endif

} // namespace runner
