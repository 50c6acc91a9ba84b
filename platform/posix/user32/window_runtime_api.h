// The user32 stand-in's own window runtime API, bound by name like the system
// functions (the program never links against the library). Top-level
// windows are hidden and have no looks: each is a caption, a window
// procedure and its context pointer, reachable from the other processes of
// the same user for broadcasts.
//
// Windows belong to one thread: every function here except
// PellomarStopMessageLoop is called on the thread that created the windows,
// and window procedures run on it, inside PellomarRunMessageLoop or inside a
// SendMessageA that is waiting for another process. A window procedure must
// not throw.
#pragma once

#include "system_abi.h"

namespace platform::abi {

// Handles a message sent to `window`. For a message that carries a text
// (WM_WININICHANGE) lParam is the address of the receiver's own copy of it,
// NUL-terminated, or 0.
using PellomarWindowProcedure = Lresult(void* context, Hwnd window, Uint message,
                                        Wparam wParam, Lparam lParam);

// PellomarCreateWindow(caption, procedure, context): creates a hidden
// top-level window and returns its handle (never 0 or HWND_BROADCAST), or 0
// with errno EINVAL when procedure is null. A window whose endpoint cannot
// be published (no usable folder) still exists and gets the messages of its
// own process; other processes do not reach it.
using PellomarCreateWindowFn = Hwnd(const char* caption,
                                    PellomarWindowProcedure* procedure,
                                    void* context);

// PellomarDestroyWindow(window): removes the window and its endpoint; no
// message reaches it afterwards. Returns 0 for a handle that is not a live
// window of this process, non-zero otherwise.
using PellomarDestroyWindowFn = Bool(Hwnd window);

// PellomarRunMessageLoop(): waits for messages to this process's windows and
// dispatches them until PellomarStopMessageLoop is called, then returns 0;
// returns -1 when waiting fails. A stop requested while no loop runs ends
// the next loop at once (as a posted quit message would).
using PellomarRunMessageLoopFn = std::int32_t();

// PellomarStopMessageLoop(): makes the message loop return. Safe in a signal
// handler and from any thread.
using PellomarStopMessageLoopFn = void();

// PellomarExitProcess(status): removes this process's endpoints and ends the
// process at once with `status`; nothing else runs (no exit handlers).
using PellomarExitProcessFn = void(std::int32_t status);

}  // namespace platform::abi
