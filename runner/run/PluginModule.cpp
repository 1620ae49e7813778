#include "PluginModule.h"

#include "SimHost.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <vector>

namespace runner {

namespace {
void* findSymbol(void* handle, const char* name) {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
  return dlsym(handle, name);
#endif
}
} // namespace

PluginModule::PluginModule(const std::string& path) : path_(path) {
#ifdef _WIN32
  handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
  if (!handle_)
    error_ =
        path + ": cannot load the plug-in (Windows error " + std::to_string(GetLastError()) + ")";
#else
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = std::string("cannot load the plug-in: ") + (why ? why : path);
  }
#endif
  if (!handle_)
    return;
  checkVersion_ = reinterpret_cast<MQCheckVersion_fn>(findSymbol(handle_, "MQCheckVersion"));
  init_ = reinterpret_cast<MQInit_fn>(findSymbol(handle_, "MQInit"));
  enumString_ = reinterpret_cast<MQEnumString_fn>(findSymbol(handle_, "MQEnumString"));
  modifyObject_ = reinterpret_cast<MQModifyObject_fn>(findSymbol(handle_, "MQModifyObject"));
  if (!checkVersion_ || !init_ || !enumString_ || !modifyObject_)
    error_ = path + ": not a plug-in module (entry points missing)";
}

PluginModule::~PluginModule() {
  if (!handle_)
    return;
#ifdef _WIN32
  FreeLibrary(static_cast<HMODULE>(handle_));
#else
  dlclose(handle_);
#endif
}

bool PluginModule::start() {
  if (!error_.empty())
    return false;
  if (checkVersion_(MQ_HOST_VERSION_REQUIRED) == 0) {
    error_ = path_ + ": the plug-in refused the host's version";
    return false;
  }
  if (init_(sim::moduleFileName()) == 0) {
    error_ = path_ + ": the plug-in could not bind the host's functions (MQInit failed)";
    return false;
  }
  return true;
}

bool PluginModule::runCommand(MQDocument document) {
  return error_.empty() && modifyObject_(0, document) != 0;
}

std::string PluginModule::commandName() const {
  const char* text = error_.empty() ? enumString_(0) : nullptr;
  return text ? text : "";
}

std::string defaultPluginPath() {
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
  const std::string folder = slash == std::string::npos ? "" : program.substr(0, slash + 1);
  return folder + TOVALINDER_PLUGIN_FILE_NAME;
}

} // namespace runner
