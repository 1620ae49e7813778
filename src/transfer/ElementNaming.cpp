#include "transfer/ElementNaming.h"

#include "objects/CMQObject.h"

namespace naming {
namespace {
const std::string kElementPrefix = "elem:";
} // namespace

std::string baseName(const std::string& name) {
  std::string base = name;
  const size_t colon = base.find(':');
  if (colon != std::string::npos)
    base.erase(0, colon + 1);
  // A "-" this close to the start belongs to the name itself, not to a suffix.
  const size_t dash = base.find('-');
  if (dash != std::string::npos && dash >= 2)
    base.erase(dash);
  return base;
}

bool isElementOf(const std::string& name, const std::string& base) {
  if (name.compare(0, kElementPrefix.size(), kElementPrefix) != 0)
    return false;
  const size_t dash = name.find('-');
  return dash != std::string::npos && name.compare(dash + 1, std::string::npos, base) == 0;
}

std::string backupName(MQDocument document, const std::string& name) {
  return cmq::unusedObjectName(document, "#" + name);
}

std::string newElementName(MQDocument document, const std::string& name) {
  const size_t dash = name.find('-');
  const std::string prefix = name.substr(0, dash);
  const std::string suffix = dash == std::string::npos ? std::string() : name.substr(dash);
  for (unsigned long long n = 1;; ++n) {
    std::string candidate = prefix + "new" + std::to_string(n) + suffix;
    if (!cmq::findObjectByName(document, candidate).object)
      return candidate;
  }
}

} // namespace naming
