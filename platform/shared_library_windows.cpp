#include <windows.h>

#include "net/text.h"
#include "platform/shared_library.h"

std::string SharedLibraryFileName(std::string_view name, int abiVersion) {
  return "lib" + std::string(name) + "-" + std::to_string(abiVersion) + ".dll";
}

void* OpenSharedLibrary(const std::string& path) {
  const std::u16string wide = Utf8ToWide(path);
  HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
  if (!module) return nullptr;
  // Pinned: FreeLibrary never unmaps it (see the header).
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(module), &pinned);
  return module;
}

void* SharedLibrarySymbol(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseSharedLibrary(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
