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

PluginUnderTest::PluginUnderTest() : module_(pluginFile()) {
#define TOVALINDER_ENTRY_RESOLVE(name) entry.name = module_.function<name##_fn>(#name);
  MQ_PLUGIN_ENTRY_POINTS(TOVALINDER_ENTRY_RESOLVE)
#undef TOVALINDER_ENTRY_RESOLVE
}

bool PluginUnderTest::complete() const {
  bool all = true;
#define TOVALINDER_ENTRY_CHECK(name) all = all && entry.name != nullptr;
  MQ_PLUGIN_ENTRY_POINTS(TOVALINDER_ENTRY_CHECK)
#undef TOVALINDER_ENTRY_CHECK
  return all;
}

} // namespace testing_support
