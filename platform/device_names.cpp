#include "platform/device_names.h"

#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "net/text.h"

namespace {

// The names are read into fixed buffers of this many bytes, terminator
// included; a longer name is cut there.
constexpr size_t kNameBytes = 256;

}  // namespace

std::u16string ComputerName() {
  char buffer[kNameBytes] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
  return Utf8ToWide(std::string_view(buffer, strnlen(buffer, sizeof buffer)));
}

std::u16string UserName() {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> scratch(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found) != 0 || !found || !found->pw_name)
    return {};
  return Utf8ToWide(std::string_view(found->pw_name, strnlen(found->pw_name, kNameBytes - 1)));
}

std::u16string_view SystemName() { return u"linux"; }
