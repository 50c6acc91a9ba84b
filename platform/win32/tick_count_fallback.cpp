// GetTickCount64 for Windows XP, which lacks it. The thread library linked in
// with the C++ runtime (winpthread) imports it for its timed waits, and XP
// refuses to start a program with an import it cannot find. This file fills
// the import's slot itself, so the program's import table never names the
// function: where the system has it, it is called through GetProcAddress;
// on XP the 32-bit tick count is widened instead.
//
// The linker takes the slot from here only if it is asked for before the
// system's import library is searched: platform/win32/CMakeLists.txt names
// it with --undefined.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>

#include "tick_count_widening.h"

namespace {

using TickCount64Function = ULONGLONG(WINAPI*)();

// The widened count, shared by the threads that read it.
std::atomic<std::uint64_t> widened_count{0};

ULONGLONG WINAPI WidenedTickCount() {
  const std::uint32_t now = GetTickCount();
  std::uint64_t kept = widened_count.load();
  for (;;) {
    const std::uint64_t next = platform::WidenTickCount(kept, now);
    if (next == kept || widened_count.compare_exchange_weak(kept, next))
      return next;
  }
}

// The system's own function where it has one (Vista and later), else the
// widened count. Looked up once; threads racing here find the same answer.
std::atomic<TickCount64Function> chosen{nullptr};

TickCount64Function Choose() {
  TickCount64Function function = WidenedTickCount;
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  const FARPROC address =
      kernel32 == nullptr ? nullptr : GetProcAddress(kernel32, "GetTickCount64");
  if (address != nullptr) {
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
  }
  return function;
}

ULONGLONG WINAPI TickCount64() {
  TickCount64Function function = chosen.load(std::memory_order_acquire);
  if (function == nullptr) {
    function = Choose();
    chosen.store(function, std::memory_order_release);
  }
  return function();
}

}  // namespace

// The import slot, under the name the import library would give it.
#ifdef _WIN64
#define PELLOMAR_TICK_COUNT_SLOT "__imp_GetTickCount64"
#else
#define PELLOMAR_TICK_COUNT_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" {
extern const TickCount64Function pellomar_tick_count_slot
    __asm__(PELLOMAR_TICK_COUNT_SLOT);
const TickCount64Function pellomar_tick_count_slot = TickCount64;
}
