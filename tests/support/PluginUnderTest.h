// Test support: the real plug-in binary, loaded by file name, with its fourteen entry points
// resolved, and the simulated host's module file name for MQInit.
#pragma once

#include "LoadedModule.h"
#include "host/MQPluginInterface.h"

#include <string>

namespace testing_support {

// File names of the binaries under test, as the build placed them.
std::string pluginFile();
std::string simHostFile();
// A stub host module that exports every host function name but the one of this binding slot
// (-1: exports all 175).
std::string stubHostFile(int omittedSlot);

struct PluginEntryPoints {
#define TOVALINDER_ENTRY_MEMBER(name) name##_fn name = nullptr;
  MQ_PLUGIN_ENTRY_POINTS(TOVALINDER_ENTRY_MEMBER)
#undef TOVALINDER_ENTRY_MEMBER
};

class PluginUnderTest {
public:
  PluginUnderTest();
  bool loaded() const { return module_.loaded(); }
  // True when every one of the fourteen entry points was found.
  bool complete() const;
  // MQInit with the simulated host's module.
  bool initWithSimHost() { return entry.MQInit(simHostFile().c_str()) != 0; }
  void unload() { module_.unload(); }

  PluginEntryPoints entry;

private:
  LoadedModule module_;
};

} // namespace testing_support
