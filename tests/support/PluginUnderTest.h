// Test support: the binaries under test by file name (the plug-in, the simulated host, the stub
// hosts), and the real plug-in loaded through the host-side loader the runner uses too.
#pragma once

#include "PluginModule.h"

#include <string>

namespace testing_support {

// File names of the binaries under test, as the build placed them.
std::string pluginFile();
std::string simHostFile();
// A stub host module that exports every host function name but the one of this binding slot
// (-1: exports all 175).
std::string stubHostFile(int omittedSlot);

using loader::LoadedModule;
using loader::PluginEntryPoints;

// The real plug-in binary, loaded by file name with its fourteen entry points.
class PluginUnderTest : public loader::PluginModule {
public:
  PluginUnderTest() : loader::PluginModule(pluginFile()) {}
  // MQInit with the simulated host's module.
  bool initWithSimHost() { return entry.MQInit(simHostFile().c_str()) != 0; }
};

} // namespace testing_support
