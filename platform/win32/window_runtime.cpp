// The Windows window runtime: real top-level windows of a class of our own,
// created without WS_VISIBLE and never shown, the message loop of the thread
// that runs them, and the end of the program by ExitProcess.

#include "window.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "ansi_code_page.h"

namespace platform {

struct TopLevelWindow::Impl {
  Window& behaviour;
  HWND hwnd = nullptr;  // null once the system has destroyed the window
  // Between creation and destruction: the messages that make and unmake the
  // window are the runtime's, not the behaviour's.
  bool up = false;
};

namespace {

// Registered in the ANSI form: the system then hands every text a message
// carries (WM_WININICHANGE's section name) to the window in the ANSI code
// page, whoever sent it and in whichever form.
constexpr char kClassName[] = "PellomarWindow";

// An exception cannot unwind through the system's frames between the message
// loop (or a SendMessage) and the window procedure: it is kept here and
// raised again once control is back in our own code.
thread_local std::exception_ptr pending_error;

void RaisePendingError() {
  if (pending_error) std::rethrow_exception(std::exchange(pending_error, nullptr));
}

TopLevelWindow::Impl* WindowOf(HWND hwnd) {
  return reinterpret_cast<TopLevelWindow::Impl*>(
      GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam,
                                 LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* window = static_cast<TopLevelWindow::Impl*>(create->lpCreateParams);
    window->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  TopLevelWindow::Impl* window = WindowOf(hwnd);
  LRESULT result = 0;
  if (window != nullptr && window->up && !pending_error) {
    try {
      result = static_cast<LRESULT>(window->behaviour.HandleMessage(
          static_cast<std::int32_t>(msg), static_cast<std::uintptr_t>(wParam),
          static_cast<std::intptr_t>(lParam)));
    } catch (...) {
      pending_error = std::current_exception();
    }
  }
  if (window != nullptr && msg == WM_NCDESTROY) {
    window->up = false;
    window->hwnd = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  }
  // A message the behaviour leaves at 0 gets the system's default handling,
  // which creation, destruction and the like need.
  if (result == 0) result = DefWindowProcA(hwnd, msg, wParam, lParam);
  return result;
}

void RegisterWindowClass() {
  static const ATOM atom = [] {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProcedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = kClassName;
    const ATOM registered = RegisterClassExA(&window_class);
    if (registered == 0)
      throw std::runtime_error("the system refuses the window class");
    return registered;
  }();
  (void)atom;
}

// The thread running the message loop (0 when none), and whether it was asked
// to stop. Both are touched from a signal handler, which Windows runs on a
// thread of its own.
std::atomic<DWORD> loop_thread{0};
std::atomic<bool> stop_requested{false};

}  // namespace

TopLevelWindow::TopLevelWindow(Window& behaviour)
    : impl_(std::make_unique<Impl>(Impl{behaviour, nullptr})) {
  RegisterWindowClass();
  // An ANSI window: its caption, like every text it handles, is in the ANSI
  // code page. No WS_VISIBLE: the window exists but is never displayed.
  const std::string caption = ToAnsi(behaviour.Caption());
  const HWND hwnd = CreateWindowExA(
      0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
      GetModuleHandleA(nullptr), impl_.get());
  if (hwnd == nullptr) throw std::runtime_error("the system refuses the window");
  impl_->up = true;
}

TopLevelWindow::~TopLevelWindow() {
  impl_->up = false;
  if (impl_->hwnd != nullptr) DestroyWindow(impl_->hwnd);
}

std::intptr_t TopLevelWindow::handle() const {
  return reinterpret_cast<std::intptr_t>(impl_->hwnd);
}

void RunMessageLoop() {
  MSG msg;
  // The thread's message queue has to exist before a stop can be posted to it.
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  loop_thread.store(GetCurrentThreadId());
  struct LoopEnd {
    ~LoopEnd() {
      loop_thread.store(0);
      stop_requested.store(false);
    }
  } loop_end;
  while (!stop_requested.load()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    RaisePendingError();
    if (got == 0 || got == -1) break;  // WM_QUIT, or no queue to read
    DispatchMessageA(&msg);
    RaisePendingError();
  }
}

void StopMessageLoop() {
  stop_requested.store(true);
  // Wakes the loop so that it sees the request; a loop not yet running sees
  // it when it starts.
  const DWORD thread = loop_thread.load();
  if (thread != 0) PostThreadMessageA(thread, WM_NULL, 0, 0);
}

void EndProgram() {
  std::fflush(nullptr);
  ExitProcess(0);
}

}  // namespace platform
