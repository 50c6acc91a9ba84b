// The system functions the program declares, under their own names and in
// their ANSI forms. Each is bound by library and function name at its first
// call; its texts go to it converted to the ANSI code page, and a text that
// came from a variable receives the converted-back copy after the call.
#pragma once

#include <cstdint>

#include "ansi_argument.h"

namespace platform {

// kernel32: writes (or with a null value deletes) a key of the system profile.
std::int32_t WriteProfileStringA(AnsiArgument lpAppName, AnsiArgument lpKeyName,
                                 AnsiArgument lpString);

// kernel32: reads a key of the system profile, or with a null key name the
// section's key names, each followed by a NUL. Returns the count of
// characters written, without the final NUL.
std::int32_t GetProfileStringA(AnsiArgument lpAppName, AnsiArgument lpKeyName,
                               AnsiArgument lpDefault,
                               AnsiArgument lpReturnedString,
                               std::int32_t nSize);

// user32: sends a message whose lParam is the address of a text and waits
// until it has been handled.
std::intptr_t SendMessageA(std::intptr_t hWnd, std::int32_t Msg,
                           std::intptr_t wParam, AnsiArgument lParam);

}  // namespace platform
