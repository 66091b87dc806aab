// The Windows side of the media library's loading: the DLL's name and
// where it is looked for, and what opening a library gives.
#include <gtest/gtest.h>

#include "platform/mpv_library.h"
#include "platform/shared_library.h"

namespace {

TEST(MpvLibraryWindows, CandidatesAreTheProgramFolderThenTheSearchPath) {
  EXPECT_EQ(MpvLibraryCandidates("C:\\Program Files\\Vistra"),
            (std::vector<std::string>{"C:\\Program Files\\Vistra\\libmpv-2.dll", "libmpv-2.dll"}));
  EXPECT_EQ(MpvLibraryCandidates(""), (std::vector<std::string>{"libmpv-2.dll"}));
  EXPECT_FALSE(MpvLibrary::LoadFrom("C:\\nonexistent\\libmpv-2.dll").Loaded());
}

TEST(SharedLibraryWindows, OpensFromTheSearchPathAndFindsFunctionsByName) {
  void* module = OpenSharedLibrary("kernel32.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(SharedLibrarySymbol(module, "GetTickCount64"), nullptr);
  EXPECT_EQ(SharedLibrarySymbol(module, "NoSuchFunctionHere"), nullptr);
  CloseSharedLibrary(module);
}

}  // namespace
