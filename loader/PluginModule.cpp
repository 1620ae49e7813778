#include "PluginModule.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <system_error>
#include <vector>

namespace loader {

LoadedModule::LoadedModule(const std::string& fileName) {
#ifdef _WIN32
  handle_ = reinterpret_cast<void*>(LoadLibraryA(fileName.c_str()));
  if (!handle_)
    error_ = fileName + ": cannot load the module (Windows error " +
             std::to_string(GetLastError()) + ")";
#else
  handle_ = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = why ? why : fileName + ": cannot load the module";
  }
#endif
}

LoadedModule::~LoadedModule() {
  unload();
}

void* LoadedModule::symbol(const char* name) const {
  if (!handle_)
    return nullptr;
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
  return dlsym(handle_, name);
#endif
}

void LoadedModule::unload() {
  if (!handle_)
    return;
#ifdef _WIN32
  FreeLibrary(static_cast<HMODULE>(handle_));
#else
  dlclose(handle_);
#endif
  handle_ = nullptr;
}

PluginModule::PluginModule(const std::string& path) : path_(path), module_(path) {
  if (!module_.loaded()) {
    error_ = "cannot load the plug-in: " + module_.error();
    return;
  }
#define TOVALINDER_ENTRY_RESOLVE(name) entry.name = module_.function<name##_fn>(#name);
  MQ_PLUGIN_ENTRY_POINTS(TOVALINDER_ENTRY_RESOLVE)
#undef TOVALINDER_ENTRY_RESOLVE
  if (!complete())
    error_ = path + ": not a plug-in module (entry points missing)";
}

bool PluginModule::complete() const {
  bool all = true;
#define TOVALINDER_ENTRY_CHECK(name) all = all && entry.name != nullptr;
  MQ_PLUGIN_ENTRY_POINTS(TOVALINDER_ENTRY_CHECK)
#undef TOVALINDER_ENTRY_CHECK
  return all;
}

bool PluginModule::start(const std::string& hostModuleFile) {
  if (!error_.empty())
    return false;
  if (entry.MQCheckVersion(MQ_HOST_VERSION_REQUIRED) == 0) {
    error_ = path_ + ": the plug-in refused the host's version";
    return false;
  }
  if (entry.MQInit(hostModuleFile.c_str()) == 0) {
    error_ = path_ + ": the plug-in could not bind the host's functions (MQInit failed)";
    return false;
  }
  return true;
}

bool PluginModule::runCommand(MQDocument document) {
  return error_.empty() && entry.MQModifyObject(0, document) != 0;
}

std::string PluginModule::commandName() const {
  const char* text = error_.empty() ? entry.MQEnumString(0) : nullptr;
  return text ? text : "";
}

std::string besideProgram(const std::string& fileName) {
  std::string program;
#ifdef _WIN32
  std::vector<char> path(32768);
  const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  program.assign(path.data(), length);
#else
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length > 0)
    program.assign(path.data(), static_cast<size_t>(length));
#endif
  const size_t slash = program.find_last_of("/\\");
  return (slash == std::string::npos ? "" : program.substr(0, slash + 1)) + fileName;
}

std::string shippedModule(const std::string& fileName) {
  std::string beside = besideProgram(fileName);
  std::string installed = besideProgram(TOVALINDER_MODULE_DIR_FROM_PROGRAM "/" + fileName);
  std::error_code error;
  if (!std::filesystem::is_regular_file(beside, error) &&
      std::filesystem::is_regular_file(installed, error))
    return installed;
  return beside;
}

} // namespace loader
