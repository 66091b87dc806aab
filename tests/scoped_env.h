// Environment variables set for one test and put back as they were when it
// ends, however it ends.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (previous_) setenv(name_, previous_->c_str(), 1);
    else unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// The local time zone, which decides much of what the guide and catch-up
// read and show; the C library reads TZ again on each change.
class TimeZoneGuard {
 public:
  explicit TimeZoneGuard(const char* zone) : zone_("TZ", zone) { tzset(); }

  // Another zone for the rest of the test; the guard still restores the
  // one from before it.
  static void Use(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }

 private:
  // Members go in reverse order: TZ is put back first, then read again.
  struct Reread {
    ~Reread() { tzset(); }
  } reread_;
  ScopedEnv zone_;
};
