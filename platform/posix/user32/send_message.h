// SendMessageA: to one window of this process, or to every top-level window
// of this user (HWND_BROADCAST).
#pragma once

#include "runtime.h"

namespace user32 {

inline constexpr std::uintptr_t kHwndBroadcast = 0xFFFF;

// A window of this process gets the words as they are and its result is
// returned; a handle that is no window of this process gets nothing and 0 is
// returned.
//
// A broadcast reaches this process's windows first, directly, then every
// other endpoint in the window folder, one after another, each with a frame
// of its own; it returns 0 once each has answered or was found gone. Every
// receiver of a text message gets its own copy of the text. An endpoint
// whose process ended is removed; a peer that hangs up or answers garbage
// is passed over without a second try; a text too long for the frame
// reaches this process's windows only. No time limit applies to a peer that
// is alive but does not answer, as with any synchronous send.
Lresult SendMessageToWindows(Runtime& runtime, Hwnd window, Uint message,
                             Wparam wParam, Lparam lParam);

}  // namespace user32
