// Window handles and message numbers the program uses, with the platform's
// values.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr std::intptr_t HWND_BROADCAST = 0xFFFF;
inline constexpr std::int32_t WM_WININICHANGE = 0x001A;

}  // namespace platform
