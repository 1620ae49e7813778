// The platform layer that finds a module's exported functions by name: LoadLibraryA,
// GetProcAddress and FreeLibrary on Windows, their dlopen, dlsym and dlclose twins elsewhere.
// Relies on nothing but the operating system's loader.
#pragma once

namespace host {

using ModuleHandle = void*;

// Null when the module cannot be loaded.
ModuleHandle openModule(const char* fileName);
// Null when the module exports no such name.
void* findExport(ModuleHandle module, const char* name);
void closeModule(ModuleHandle module);

} // namespace host
