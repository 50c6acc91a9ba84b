// The entry points of the kernel32 stand-in: the only symbols the shared
// library exports.
#include "profile_store.h"

#define PELLOMAR_EXPORT extern "C" __attribute__((visibility("default")))

using platform::abi::Bool;
using platform::abi::Dword;

PELLOMAR_EXPORT Bool WriteProfileStringA(const char* lpAppName,
                                         const char* lpKeyName,
                                         const char* lpString) {
  return pellomar::profile_store::WriteProfileString(lpAppName, lpKeyName,
                                                     lpString);
}

PELLOMAR_EXPORT Dword GetProfileStringA(const char* lpAppName,
                                        const char* lpKeyName,
                                        const char* lpDefault,
                                        char* lpReturnedString, Dword nSize) {
  return pellomar::profile_store::GetProfileString(
      lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize);
}

PELLOMAR_EXPORT Dword GetLastError(void) {
  return pellomar::profile_store::GetLastErrorCode();
}
