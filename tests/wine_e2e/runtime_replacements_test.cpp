// What the Windows backend puts in place of the C++ runtime's own: the
// GetTickCount64 behind the thread library (for Windows XP) and the terminate
// handler without the demangler.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

#include "tick_count_widening.h"

// The declaration the thread library calls through: the import slot that
// tick_count_fallback.cpp fills. The headers set to XP do not declare it.
extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

namespace {

struct WideningCase {
  const char* name;
  std::uint64_t kept;
  std::uint32_t now;
  std::uint64_t widened;
};

class TickCountWidening : public testing::TestWithParam<WideningCase> {};

TEST_P(TickCountWidening, FollowsTheReading) {
  EXPECT_EQ(platform::WidenTickCount(GetParam().kept, GetParam().now),
            GetParam().widened);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TickCountWidening,
    testing::Values(
        WideningCase{"FirstReading", 0, 5000, 5000},
        WideningCase{"FirstReadingLateInTheRange", 0, 0xF0000000u, 0xF0000000u},
        WideningCase{"Forward", 1000, 1500, 1500},
        WideningCase{"SameReading", 1500, 1500, 1500},
        WideningCase{"AcrossAWrap", 0xFFFFFF00u, 0x100, 0x100000100ull},
        WideningCase{"AcrossASecondWrap", 0x1FFFFFFF0ull, 0x10, 0x200000010ull},
        WideningCase{"OlderReading", 0x100002000ull, 0x1000, 0x100002000ull},
        WideningCase{"OlderReadingFromBeforeAWrap", 0x100000010ull, 0xFFFFFFF0u,
                     0x100000010ull}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

// Under a system that has the function, the slot reaches it: the low half
// is the 32-bit count, and the count does not go back.
TEST(TickCount64, ThroughTheImportSlotIsTheSystemsCount) {
  const ULONGLONG first = GetTickCount64();
  const DWORD low = GetTickCount();
  const ULONGLONG second = GetTickCount64();
  EXPECT_LE(first, second);
  EXPECT_LE(static_cast<DWORD>(low - static_cast<DWORD>(first)), 1000u);
}

TEST(TerminateHandlerDeathTest, SaysWhatTheExceptionSays) {
  EXPECT_DEATH(
      {
        try {
          throw std::runtime_error("the printer is on fire");
        } catch (...) {
          std::terminate();
        }
      },
      "terminate called after throwing an exception: the printer is on fire");
}

TEST(TerminateHandlerDeathTest, WithoutAnExceptionSaysSo) {
  EXPECT_DEATH(std::terminate(), "terminate called without an active exception");
}

}  // namespace
