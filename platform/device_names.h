#pragma once
// The names that identify this installation: the computer's host name and
// the name of the user running the program. Thread-safe.
#include <string>

// The host name, or empty when it cannot be read.
std::u16string ComputerName();

// The login name of the effective user, or empty when it cannot be read.
std::u16string UserName();
