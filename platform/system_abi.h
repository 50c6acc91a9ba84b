// The binary interface of the system functions that the program declares:
// the ANSI forms, with the argument types and calling convention of the
// platform's system libraries.
#pragma once

#include <cstdint>

#include "calling_convention.h"  // from the backend: PELLOMAR_SYSAPI

namespace platform::abi {

using Bool = std::int32_t;
using Dword = std::uint32_t;
using Uint = std::uint32_t;
using Hwnd = void*;
using Wparam = std::uintptr_t;
using Lparam = std::intptr_t;
using Lresult = std::intptr_t;

using WriteProfileStringAFn = Bool PELLOMAR_SYSAPI(const char* lpAppName,
                                                   const char* lpKeyName,
                                                   const char* lpString);
using GetProfileStringAFn = Dword PELLOMAR_SYSAPI(const char* lpAppName,
                                                  const char* lpKeyName,
                                                  const char* lpDefault,
                                                  char* lpReturnedString,
                                                  Dword nSize);
using SendMessageAFn = Lresult PELLOMAR_SYSAPI(Hwnd hWnd, Uint Msg,
                                               Wparam wParam, Lparam lParam);

}  // namespace platform::abi
