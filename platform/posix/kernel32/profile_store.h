// The system profile functions, as the kernel32 stand-in exports them. They
// set the thread's last error on every call and never throw.
#pragma once

#include "system_abi.h"

namespace pellomar::profile_store {

using platform::abi::Bool;
using platform::abi::Dword;

Bool WriteProfileString(const char* section, const char* key,
                        const char* value) noexcept;

Dword GetProfileString(const char* section, const char* key,
                       const char* default_value, char* returned,
                       Dword size) noexcept;

Dword GetLastErrorCode() noexcept;

}  // namespace pellomar::profile_store
