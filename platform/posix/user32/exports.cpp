// The entry points of libuser32.so; nothing else of the library is visible.

#include <errno.h>
#include <unistd.h>

#include <type_traits>

#include "runtime.h"
#include "send_message.h"
#include "stop_request.h"
#include "system_abi.h"
#include "window_runtime_api.h"

#define USER32_EXPORT extern "C" __attribute__((visibility("default")))

namespace abi = platform::abi;

USER32_EXPORT abi::Lresult SendMessageA(abi::Hwnd hWnd, abi::Uint Msg,
                                        abi::Wparam wParam,
                                        abi::Lparam lParam) noexcept {
  return user32::SendMessageToWindows(user32::TheRuntime(), hWnd, Msg, wParam,
                                      lParam);
}

USER32_EXPORT abi::Hwnd PellomarCreateWindow(
    const char* caption, abi::PellomarWindowProcedure* procedure,
    void* context) noexcept {
  if (procedure == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  return user32::TheRuntime().windows.Create(caption != nullptr ? caption : "",
                                             procedure, context);
}

USER32_EXPORT abi::Bool PellomarDestroyWindow(abi::Hwnd window) noexcept {
  return user32::TheRuntime().windows.Destroy(window) ? 1 : 0;
}

USER32_EXPORT std::int32_t PellomarRunMessageLoop() noexcept {
  return user32::TheRuntime().pump.Run(user32::TheStopRequest()) ? 0 : -1;
}

USER32_EXPORT void PellomarStopMessageLoop() noexcept {
  user32::TheStopRequest().Request();
}

USER32_EXPORT void PellomarExitProcess [[noreturn]] (std::int32_t status) noexcept {
  user32::TheRuntime().windows.RemoveEndpoints();
  _exit(status);
}

// The exports have exactly the types their callers bind them with (noexcept
// aside, which only drops off).
template <auto* Entry, typename Fn>
constexpr bool kBindsAs = std::is_convertible_v<decltype(Entry), Fn*>;
static_assert(kBindsAs<&SendMessageA, abi::SendMessageAFn>);
static_assert(kBindsAs<&PellomarCreateWindow, abi::PellomarCreateWindowFn>);
static_assert(kBindsAs<&PellomarDestroyWindow, abi::PellomarDestroyWindowFn>);
static_assert(kBindsAs<&PellomarRunMessageLoop, abi::PellomarRunMessageLoopFn>);
static_assert(kBindsAs<&PellomarStopMessageLoop, abi::PellomarStopMessageLoopFn>);
static_assert(kBindsAs<&PellomarExitProcess, abi::PellomarExitProcessFn>);
