// The 32-bit tick count widened to 64 bits, for the GetTickCount64 that
// Windows XP lacks (tick_count_fallback.cpp).
#pragma once

#include <cstdint>

namespace platform {

// The 64-bit count after the 32-bit reading `now`, from the count kept so far
// (0 before the first reading). The count goes forward by the reading's step
// from the last one, across a wrap of the 32-bit count (every 49.7 days) too,
// as long as readings come more often than that. A reading behind the kept
// one (by up to half the range: another thread's, taken earlier) leaves the
// count as it is.
constexpr std::uint64_t WidenTickCount(std::uint64_t kept, std::uint32_t now) {
  if (kept == 0) return now;
  const std::uint32_t step = now - static_cast<std::uint32_t>(kept);
  return step >= 0x80000000u ? kept : kept + step;
}

}  // namespace platform
