#include "profile_validation.h"

#include "profile_limits.h"
#include "profile_text.h"

namespace pellomar::profile_store {

Win32Error ValidateProfile(std::string_view text) {
  if (text.size() > kMaxProfileBytes) return Win32Error::kFileTooLarge;
  if (text.empty()) return Win32Error::kSuccess;
  LineCursor cursor(text);
  Line line;
  while (cursor.Next(line))
    if (line.content_end - line.begin > kMaxLineBytes)
      return Win32Error::kInvalidData;
  return Win32Error::kSuccess;
}

}  // namespace pellomar::profile_store
