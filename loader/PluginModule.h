// The host side of loading a plug-in: a module (the plug-in, a stub host) loaded by file name
// through the operating system's loader, with its exports found by name, and the plug-in's
// fourteen entry points, started the way a host starts it (version handshake, then MQInit with
// the host's own module file). The runner and the tests load the plug-in through this; the
// plug-in binds its host with a loader of its own, since the interface header is all the two
// share.
// Relies on the plug-in interface header and the operating system's loader.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <string>

namespace loader {

// A module loaded by file name; unloaded when destroyed.
class LoadedModule {
public:
  explicit LoadedModule(const std::string& fileName);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  // Why loading failed (the loader's own words); empty when it did not.
  const std::string& error() const { return error_; }
  // The export of this name, or null.
  void* symbol(const char* name) const;
  template <typename Fn> Fn function(const char* name) const {
    return reinterpret_cast<Fn>(symbol(name));
  }
  void unload();

private:
  void* handle_ = nullptr;
  std::string error_;
};

struct PluginEntryPoints {
#define TOVALINDER_ENTRY_MEMBER(name) name##_fn name = nullptr;
  MQ_PLUGIN_ENTRY_POINTS(TOVALINDER_ENTRY_MEMBER)
#undef TOVALINDER_ENTRY_MEMBER
};

class PluginModule {
public:
  // Loads the module and finds its entry points; error() says what failed.
  explicit PluginModule(const std::string& path);

  bool loaded() const { return module_.loaded(); }
  // True when all fourteen entry points were found.
  bool complete() const;
  // The host's start-up: version handshake, then MQInit with the host's module file.
  bool start(const std::string& hostModuleFile);
  // Runs the object command (menu index 0) on a document, as the host does when chosen.
  bool runCommand(MQDocument document);
  // The menu text the module reports for its command (empty when it cannot be asked).
  std::string commandName() const;
  const std::string& error() const { return error_; }
  void unload() { module_.unload(); }

  PluginEntryPoints entry;

private:
  std::string path_;
  LoadedModule module_;
  std::string error_;
};

// A file of this name in the running program's folder.
std::string besideProgram(const std::string& fileName);

// A module that ships with the running program: beside it (a build folder, an unpacked Windows
// zip) or in the folder an installed program keeps its modules in (../lib/tovalinder/ from a
// bin folder). The first of the two that exists; the one beside the program when neither does,
// so that a failure to load names the first place looked in.
std::string shippedModule(const std::string& fileName);

} // namespace loader
