// Whether a profile's bytes are within the store's limits.
#pragma once

#include <string_view>

#include "win32_error.h"

namespace pellomar::profile_store {

// ERROR_FILE_TOO_LARGE for a profile over the size limit, ERROR_INVALID_DATA
// for an overlong line, ERROR_SUCCESS otherwise. Checks the
// whole text, so that a profile is malformed or not wherever one looks.
Win32Error ValidateProfile(std::string_view text);

}  // namespace pellomar::profile_store
