// On Windows the profile is the system's own, shared by every test of the
// run: a scratch profile removes again every section it wrote.

#include "scratch_profile.h"
#include "system_functions.h"

namespace testing_support {

ScratchProfile::ScratchProfile() = default;

ScratchProfile::~ScratchProfile() {
  for (const auto& section : written_sections_) {
    std::u16string name = section;
    platform::WriteProfileStringA(name, nullptr, nullptr);
  }
}

bool UseAnsiLocale(const char*) {
  // A Windows process cannot change its ANSI code page.
  return false;
}

}  // namespace testing_support
