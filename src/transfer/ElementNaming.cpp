#include "transfer/ElementNaming.h"

#include "objects/CMQObject.h"

namespace naming {

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
