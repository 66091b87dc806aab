#pragma once
// Opening a shared library at run time and finding its functions by name:
// dlopen on Linux, LoadLibraryW on Windows (shared_library_windows.cpp).
#include <string>
#include <string_view>

// The file name of version `abiVersion` of the library called `name` on
// this system: "lib<name>.so.<v>" on Linux, "lib<name>-<v>.dll" on Windows.
std::string SharedLibraryFileName(std::string_view name, int abiVersion);

// Opens `path` (UTF-8: a file path, or a bare file name for the system's
// search path, which on Windows starts at the program's own folder) with
// every symbol bound at once. Null when it cannot be opened. An opened
// library is never unmapped, even after CloseSharedLibrary: code below it
// (decoders, GPU drivers) may leave exit handlers or thread-local
// destructors pointing into it.
void* OpenSharedLibrary(const std::string& path);

// The address of the exported function `name`, or null.
void* SharedLibrarySymbol(void* module, const char* name);

void CloseSharedLibrary(void* module);
