// A system profile of the test's own, written and read only through the
// declared profile functions. On Linux it is a fresh temporary profile folder;
// on Windows it is the test run's own profile, and every section the test
// wrote is removed again at the end.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace testing_support {

class ScratchProfile {
 public:
  ScratchProfile();
  ScratchProfile(const ScratchProfile&) = delete;
  ScratchProfile& operator=(const ScratchProfile&) = delete;
  ~ScratchProfile();

  // Writes one key through WriteProfileStringA; fails the test on failure.
  void Write(const std::u16string& section, const std::u16string& key,
             const std::u16string& value);

  // Reads one key through GetProfileStringA ("" when missing).
  std::u16string Read(const std::u16string& section, const std::u16string& key);

 private:
  std::set<std::u16string> written_sections_;
  std::filesystem::path folder_;  // empty where the platform keeps the profile
};

// Switches the ANSI code page for the rest of the test to the one of
// `locale` ("C", "C.UTF-8"). Returns false where the platform's code page is
// fixed for the process (Windows): the caller then skips.
bool UseAnsiLocale(const char* locale);

// Whether the current ANSI code page uses more than one byte for some
// characters.
bool AnsiCodePageIsMultiByte();

}  // namespace testing_support
