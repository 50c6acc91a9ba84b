#include "scratch_profile.h"

#include <gtest/gtest.h>

#include "system_functions.h"

namespace testing_support {

void ScratchProfile::Write(const std::u16string& section,
                           const std::u16string& key,
                           const std::u16string& value) {
  written_sections_.insert(section);
  std::u16string s = section, k = key, v = value;
  ASSERT_NE(platform::WriteProfileStringA(s, k, v), 0) << "profile write failed";
}

std::u16string ScratchProfile::Read(const std::u16string& section,
                                    const std::u16string& key) {
  std::u16string s = section, k = key;
  std::u16string buffer(1024, u' ');
  const std::int32_t n =
      platform::GetProfileStringA(s, k, u"", buffer, static_cast<std::int32_t>(buffer.size()));
  return buffer.substr(0, static_cast<std::size_t>(n));
}

}  // namespace testing_support
