#pragma once
#include <filesystem>

// The folder of the running executable (empty when it cannot be found).
std::filesystem::path ExecutableFolder();
