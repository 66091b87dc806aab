// Environment variables set for one test and put back as they were when it
// ends, however it ends.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// setenv and unsetenv on both systems: the Windows C runtime has neither;
// its _putenv_s sets the runtime's copy and the process's own (which Win32
// calls read), and an empty value removes the variable.
inline void SetEnvVar(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

inline void UnsetEnvVar(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    SetEnvVar(name, value.c_str());
  }
  ~ScopedEnv() {
    if (previous_) SetEnvVar(name_, previous_->c_str());
    else UnsetEnvVar(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// The local time zone, which decides much of what the guide and catch-up
// read and show: an IANA name ("Europe/Bucharest") or a POSIX rule ("UTC0",
// "XYZ-2") in TZ. The C library of Linux reads TZ again on each change; on
// Windows the program's clock reads it itself (platform/clock.h).
class TimeZoneGuard {
 public:
  explicit TimeZoneGuard(const char* zone) : zone_("TZ", zone) { Reread(); }

  // Another zone for the rest of the test; the guard still restores the
  // one from before it.
  static void Use(const char* zone) {
    SetEnvVar("TZ", zone);
    Reread();
  }

 private:
  static void Reread() {
#ifndef _WIN32
    tzset();
#endif
  }
  // Members go in reverse order: TZ is put back first, then read again.
  struct Rereader {
    ~Rereader() { Reread(); }
  } reread_;
  ScopedEnv zone_;
};
