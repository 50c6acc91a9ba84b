// On Linux the profile lives in $XDG_CONFIG_HOME: each scratch profile gets a
// fresh temporary one, removed afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scratch_profile.h"

namespace testing_support {
namespace {
// Scratch profiles nest (a test may make a fresh one inside its fixture's):
// each puts back the folder that was in force before it.
thread_local std::vector<std::string> outer_folders;
}  // namespace

ScratchProfile::ScratchProfile() {
  const char* outer = std::getenv("XDG_CONFIG_HOME");
  outer_folders.push_back(outer == nullptr ? std::string() : std::string(outer));
  std::string pattern =
      (std::filesystem::temp_directory_path() / "pellomar-profile-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    // Going on would write to the real profile of whoever runs the tests.
    std::perror("cannot make a temporary profile folder");
    std::abort();
  }
  folder_ = pattern;
  setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
}

ScratchProfile::~ScratchProfile() {
  const std::string outer = outer_folders.back();
  outer_folders.pop_back();
  if (outer.empty())
    unsetenv("XDG_CONFIG_HOME");
  else
    setenv("XDG_CONFIG_HOME", outer.c_str(), 1);
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
