// The reason of the last failure on this thread, as GetLastError reports it.
#pragma once

#include "win32_error.h"

namespace pellomar::profile_store {

void SetLastError(Win32Error error);
Win32Error LastError();

}  // namespace pellomar::profile_store
