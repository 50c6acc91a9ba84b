// pellomar finds the stand-in system libraries beside it at run time and
// never links against them; without them it says what is missing.

#include <algorithm>
#include <string>

#include "elf_dynamic.h"
#include "program_fixture.h"

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

TEST(Install, ProgramHasNoLinkTimeDependencyOnTheStandIns) {
  const ElfDynamic dynamic = ReadElfDynamic(testing_support::BuildFolder() / "pellomar");
  ASSERT_FALSE(dynamic.needed_libraries.empty()) << "expected at least the C library";
  for (const char* library : {"libkernel32.so", "libuser32.so"})
    EXPECT_FALSE(Contains(dynamic.needed_libraries, library)) << library;
  for (const char* function :
       {"WriteProfileStringA", "GetProfileStringA", "SendMessageA"})
    EXPECT_FALSE(Contains(dynamic.imported_symbols, function)) << function;
}

class BrokenInstall : public ProgramTest {
 protected:
  // A copy of pellomar in a folder of its own, with only some libraries.
  fs::path InstallAlone() {
    const fs::path folder = root_ / "install";
    fs::create_directories(folder);
    fs::copy_file(testing_support::BuildFolder() / "pellomar", folder / "pellomar");
    return folder;
  }

  void ExpectBrokenInstallNaming(const fs::path& folder, const std::string& library,
                                 const std::string& function) {
    const Outcome outcome = testing_support::Run(ProgramCommand(folder / "pellomar"));
    EXPECT_NE(outcome.exit_status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(library), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(function), std::string::npos) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1)
        << "one line: " << outcome.err;
  }
};

TEST_F(BrokenInstall, MissingLibrariesAreNamed) {
  const fs::path folder = InstallAlone();
  // The window runtime is the first thing pellomar needs.
  ExpectBrokenInstallNaming(folder, "user32", "");
  EXPECT_FALSE(fs::exists(profile()));
}

TEST_F(BrokenInstall, LibraryWithoutTheFunctionNamesBoth) {
  const fs::path folder = InstallAlone();
  fs::copy_file(testing_support::BuildFolder() / "libuser32.so", folder / "libuser32.so");
  fs::copy_file(PELLOMAR_EMPTY_LIBRARY, folder / "libkernel32.so");
  ExpectBrokenInstallNaming(folder, "kernel32", "WriteProfileStringA");
  EXPECT_FALSE(fs::exists(profile()));
}

}  // namespace
