// On Linux the profile lives in $XDG_CONFIG_HOME: each scratch profile gets a
// fresh temporary one, removed afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "scratch_profile.h"

namespace testing_support {

ScratchProfile::ScratchProfile() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "pellomar-profile-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot make a temporary profile folder";
    return;
  }
  folder_ = pattern;
  setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
}

ScratchProfile::~ScratchProfile() {
  unsetenv("XDG_CONFIG_HOME");
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool UseAnsiLocale(const char* locale) {
  // The ANSI code page of the native build follows the environment's locale.
  unsetenv("LANG");
  unsetenv("LC_CTYPE");
  setenv("LC_ALL", locale, 1);
  return true;
}

}  // namespace testing_support
