// The naming rules on names alone (no host call), shared with the runner.
#include "transfer/ElementNaming.h"

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

std::string elementName(const std::string& morph, const std::string& base) {
  return kElementPrefix + morph + "-" + base;
}

std::string morphNameOf(const std::string& element) {
  const size_t dash = element.find('-');
  const size_t end = dash == std::string::npos ? element.size() : dash;
  return end > kElementPrefix.size()
             ? element.substr(kElementPrefix.size(), end - kElementPrefix.size())
             : std::string();
}

} // namespace naming
