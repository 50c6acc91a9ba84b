// The lines msgwatch prints: one line per message, whatever the text holds.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "message_line.h"

namespace {

std::intptr_t Address(const char* text) { return reinterpret_cast<std::intptr_t>(text); }

TEST(MessageLine, ShowsEachMessageOnOneLine) {
  struct Case {
    std::int32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::string line;
  };
  const Case cases[] = {
      {0x1A, 0, Address("windows"), R"(WM_WININICHANGE wParam=0 lParam="windows")"},
      {0x1A, 7, 0, "WM_WININICHANGE wParam=7 lParam=0"},
      {0x1A, 0, Address(""), R"(WM_WININICHANGE wParam=0 lParam="")"},
      {0x1A, 0, Address("a\"b\\c"), R"(WM_WININICHANGE wParam=0 lParam="a\"b\\c")"},
      {0x1A, 0, Address("line\nbreak\t\x7f\xe9"),
       R"(WM_WININICHANGE wParam=0 lParam="line\x0Abreak\x09\x7F\xE9")"},
      {0x0400, 5, -3, "msg=0x0400 wParam=5 lParam=-3"},
      {0xC123, std::numeric_limits<std::uintptr_t>::max(), 0,
       "msg=0xC123 wParam=" + std::to_string(std::numeric_limits<std::uintptr_t>::max()) +
           " lParam=0"},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageLine(c.msg, c.wParam, c.lParam), c.line);
}

}  // namespace
