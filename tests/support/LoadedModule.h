// Test support: loads a module (the plug-in, a stub host) by file name through the operating
// system's loader and resolves its exports; unloads it when destroyed.
#pragma once

#include <string>

namespace testing_support {

class LoadedModule {
public:
  explicit LoadedModule(const std::string& fileName);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  void* symbol(const char* name) const;
  template <typename Fn> Fn function(const char* name) const {
    return reinterpret_cast<Fn>(symbol(name));
  }
  void unload();

private:
  void* handle_ = nullptr;
};

} // namespace testing_support
