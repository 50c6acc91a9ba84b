// The line msgwatch prints for one message it received.
#pragma once

#include <cstdint>
#include <string>

// WM_WININICHANGE: `WM_WININICHANGE wParam=0 lParam="windows"` (lParam=0 for
// a null text); the text's bytes outside printable ASCII, and `"` and `\`,
// are escaped (\xNN, \", \\) so that a line is always one line.
// Any other message: `msg=0x0400 wParam=<decimal> lParam=<signed decimal>`.
std::string MessageLine(std::int32_t msg, std::uintptr_t wParam,
                        std::intptr_t lParam);
