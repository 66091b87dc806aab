#include "platform/shared_library.h"

#include <dlfcn.h>

std::string SharedLibraryFileName(std::string_view name, int abiVersion) {
  return "lib" + std::string(name) + ".so." + std::to_string(abiVersion);
}

void* OpenSharedLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE); }

void* SharedLibrarySymbol(void* module, const char* name) { return dlsym(module, name); }

void CloseSharedLibrary(void* module) { dlclose(module); }
