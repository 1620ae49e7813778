// The real plug-in binary, loaded by file name as the host loads it, with the entry points the
// host calls to start it and to run its command.
#pragma once

#include "host/MQPluginInterface.h"

#include <string>

namespace runner {

class PluginModule {
public:
  // Loads the module and resolves its entry points; error() says what failed.
  explicit PluginModule(const std::string& path);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The host's start-up: version handshake, then MQInit with the simulated host's module file.
  bool start();
  // Runs the object command (menu index 0) on a document, as the host does when chosen.
  bool runCommand(MQDocument document);

  const std::string& error() const { return error_; }
  // The menu text and plug-in name the module reports (empty when not started).
  std::string commandName() const;

private:
  void* handle_ = nullptr;
  std::string path_;
  std::string error_;
  MQCheckVersion_fn checkVersion_ = nullptr;
  MQInit_fn init_ = nullptr;
  MQEnumString_fn enumString_ = nullptr;
  MQModifyObject_fn modifyObject_ = nullptr;
};

// The plug-in's file beside the running program.
std::string defaultPluginPath();

} // namespace runner
