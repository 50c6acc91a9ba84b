#include "message_line.h"

#include <cstdio>

#include "messages.h"

namespace {

std::string Quoted(const char* text) {
  std::string quoted = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte == '"' || byte == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(byte);
    } else if (byte >= 0x20 && byte < 0x7F) {
      quoted += static_cast<char>(byte);
    } else {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      quoted += escape;
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string MessageLine(std::int32_t msg, std::uintptr_t wParam,
                        std::intptr_t lParam) {
  const std::string words = "wParam=" + std::to_string(wParam) + " lParam=";
  if (msg == platform::WM_WININICHANGE) {
    return "WM_WININICHANGE " + words +
           (lParam == 0 ? std::string("0")
                        : Quoted(reinterpret_cast<const char*>(lParam)));
  }
  char number[16];
  std::snprintf(number, sizeof number, "0x%04X", static_cast<unsigned>(msg));
  return std::string("msg=") + number + " " + words + std::to_string(lParam);
}
