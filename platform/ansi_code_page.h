// Conversion between the program's 16-bit texts and the system ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The text in the ANSI code page. A character the code page lacks becomes "?".
std::string ToAnsi(std::u16string_view text);

// ANSI bytes back to 16-bit characters. A byte sequence that is not valid in
// the code page becomes "?".
std::u16string FromAnsi(std::string_view bytes);

}  // namespace platform
