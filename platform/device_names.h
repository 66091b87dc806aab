#pragma once
// The names that identify this installation: the computer's host name and
// the name of the user running the program. Thread-safe.
#include <string>
#include <string_view>

// The host name, or empty when it cannot be read.
std::u16string ComputerName();

// The login name of the effective user, or empty when it cannot be read.
std::u16string UserName();

// The system this build runs on, as the device hash's text and the panel's
// device registration name it: "linux" or "windows".
std::u16string_view SystemName();
