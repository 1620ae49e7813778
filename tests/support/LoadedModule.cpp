#include "LoadedModule.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace testing_support {

LoadedModule::LoadedModule(const std::string& fileName) {
#ifdef _WIN32
  handle_ = reinterpret_cast<void*>(LoadLibraryA(fileName.c_str()));
#else
  handle_ = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
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

} // namespace testing_support
