#include "PluginUnderTest.h"

namespace testing_support {

std::string pluginFile() {
  return TOVALINDER_PLUGIN_FILE;
}
std::string simHostFile() {
  return TOVALINDER_SIMHOST_FILE;
}
std::string stubHostFile(int omittedSlot) {
  const std::string suffix = omittedSlot < 0 ? "full" : "without" + std::to_string(omittedSlot);
  return std::string(TOVALINDER_STUBHOST_PREFIX) + suffix + TOVALINDER_MODULE_SUFFIX;
}

} // namespace testing_support
