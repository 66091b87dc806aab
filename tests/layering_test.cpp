// The include layering: lower folders never include higher ones (the same
// rule as the team's check-layers tool, kept in the suite so a build that
// reaches up fails its tests), and only platform/ includes the system's
// drawing, window, network and process headers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What each unit may include besides itself. i18n (the translation
// tables) sits low, above store/, so every folder above it may translate;
// state is the data-only application context.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"net", {}},
    {"platform", {"net"}},
    {"store", {"net", "platform"}},
    {"catalog", {"net", "platform", "store", "i18n"}},
    {"panel", {"net", "platform", "store", "catalog", "i18n"}},
    {"extras", {"net", "platform", "store", "catalog", "panel", "i18n"}},
    {"i18n", {"net", "platform", "store"}},
    {"state", {"net", "platform", "store", "catalog", "panel", "extras", "i18n"}},
    {"player", {"net", "platform", "store", "catalog", "panel", "extras", "i18n", "state"}},
    {"ui", {"net", "platform", "store", "catalog", "panel", "extras", "i18n", "state", "player"}},
    {"app", {"net", "platform", "store", "catalog", "panel", "extras", "i18n", "state", "player", "ui"}},
};

// System headers that only platform/ may include: drawing (cairo, pango),
// the window (SDL, GL), HTTP and TLS, ICU, dynamic loading, sockets and
// processes.
const std::regex kPlatformOnly(
    R"re(^\s*#\s*include\s+<((cairo|pango|SDL|GL/|curl/|openssl/|unicode/|fontconfig|glib)[^>]*|dlfcn\.h|spawn\.h|sys/(socket|wait|mman)\.h)>)re");

std::string UnitOf(const std::string& path) {
  const size_t slash = path.find('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "file:line: unit -> include" for every quoted include of `file` (a path
// relative to the project root) that its unit may not use.
std::vector<std::string> Violations(const fs::path& root, const std::string& file) {
  std::vector<std::string> bad;
  const std::string unit = UnitOf(file);
  const auto allowed = kAllowed.find(unit);
  std::ifstream in(root / file);
  static const std::regex include(R"re(^\s*#\s*include\s+"([^"]+)")re");
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::smatch m;
    if (unit != "platform" && std::regex_search(line, m, kPlatformOnly))
      bad.push_back(file + ":" + std::to_string(n) + ": " + unit + " -> <" + m[1].str() + ">");
    if (!std::regex_search(line, m, include)) continue;
    const std::string target = UnitOf(m[1]);
    if (target.empty() || target == unit) continue;
    if (allowed == kAllowed.end() || !allowed->second.contains(target))
      bad.push_back(file + ":" + std::to_string(n) + ": " + unit + " -> " + m[1].str());
  }
  return bad;
}

std::vector<std::string> SourceFiles(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& [unit, _] : kAllowed) {
    if (!fs::is_directory(root / unit)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root / unit)) {
      const std::string ext = entry.path().extension().string();
      if (entry.is_regular_file() && (ext == ".h" || ext == ".cpp"))
        files.push_back(fs::relative(entry.path(), root).generic_string());
    }
  }
  return files;
}

TEST(Layering, NoIncludeReachesUp) {
  const fs::path root = VISTRA_SOURCE_DIR;
  const auto files = SourceFiles(root);
  ASSERT_GT(files.size(), 50u) << "the source tree was not found at " << root;
  std::vector<std::string> bad;
  for (const auto& file : files) {
    auto found = Violations(root, file);
    bad.insert(bad.end(), found.begin(), found.end());
  }
  EXPECT_TRUE(bad.empty()) << ::testing::PrintToString(bad);
}

TEST(Layering, TheRuleSeesAnIncludeThatReachesUp) {
  const fs::path root = fs::temp_directory_path() / ("vistra-layering-" + std::to_string(::getpid()));
  fs::create_directories(root / "store");
  std::ofstream(root / "store" / "bad.cpp") << "#include \"store/ok.h\"\n#include \"net/text.h\"\n"
                                              "  #  include \"ui/screens/home_screen.h\"\n#include <vector>\n"
                                              "#include <pango/pangocairo.h>\n";
  EXPECT_EQ(Violations(root, "store/bad.cpp"), (std::vector<std::string>{"store/bad.cpp:3: store -> ui/screens/home_screen.h",
                                                                          "store/bad.cpp:5: store -> <pango/pangocairo.h>"}));
  fs::remove_all(root);
}

}  // namespace
