#include "host/ModuleLoader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace host {

#ifdef _WIN32

ModuleHandle openModule(const char* fileName) {
  return fileName ? reinterpret_cast<ModuleHandle>(LoadLibraryA(fileName)) : nullptr;
}

void* findExport(ModuleHandle module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void closeModule(ModuleHandle module) {
  FreeLibrary(static_cast<HMODULE>(module));
}

#else

ModuleHandle openModule(const char* fileName) {
  return fileName ? dlopen(fileName, RTLD_NOW | RTLD_LOCAL) : nullptr;
}

void* findExport(ModuleHandle module, const char* name) {
  return dlsym(module, name);
}

void closeModule(ModuleHandle module) {
  dlclose(module);
}

#endif

} // namespace host
