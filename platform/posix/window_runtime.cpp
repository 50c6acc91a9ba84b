// The window runtime on Linux: the windows and message loop of the user32
// stand-in, bound by name at first use like the system functions.

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "ansi_code_page.h"
#include "late_binding.h"
#include "user32/window_runtime_api.h"
#include "window.h"

namespace platform {
namespace {

LateBound<abi::PellomarCreateWindowFn> create_window{"user32",
                                                     "PellomarCreateWindow"};
LateBound<abi::PellomarDestroyWindowFn> destroy_window{"user32",
                                                       "PellomarDestroyWindow"};
LateBound<abi::PellomarRunMessageLoopFn> run_message_loop{
    "user32", "PellomarRunMessageLoop"};
LateBound<abi::PellomarStopMessageLoopFn> stop_message_loop{
    "user32", "PellomarStopMessageLoop"};
LateBound<abi::PellomarExitProcessFn> exit_process{"user32",
                                                   "PellomarExitProcess"};

// StopMessageLoop and EndProgram may not load the library themselves (one
// runs in signal handlers, the other must not start anything): they use
// these, set once the runtime is in use.
std::atomic<abi::PellomarStopMessageLoopFn*> bound_stop{nullptr};
std::atomic<abi::PellomarExitProcessFn*> bound_exit{nullptr};
// A stop requested before the runtime was bound, for the first loop.
std::atomic<bool> early_stop{false};
static_assert(std::atomic<abi::PellomarStopMessageLoopFn*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

void BindRuntime() {
  bound_exit.store(exit_process.get());
  abi::PellomarStopMessageLoopFn* stop = stop_message_loop.get();
  bound_stop.store(stop);
  // Handed on here unless StopMessageLoop saw the binding and did it.
  if (early_stop.exchange(false)) stop();
}

abi::Lresult Procedure(void* context, abi::Hwnd, abi::Uint message,
                       abi::Wparam wParam, abi::Lparam lParam) noexcept {
  return static_cast<Window*>(context)->HandleMessage(
      static_cast<std::int32_t>(message), wParam, lParam);
}

}  // namespace

struct TopLevelWindow::Impl {
  abi::Hwnd handle;
};

TopLevelWindow::TopLevelWindow(Window& behaviour) {
  BindRuntime();
  const std::string caption = ToAnsi(behaviour.Caption());
  const abi::Hwnd handle =
      create_window.get()(caption.c_str(), &Procedure, &behaviour);
  if (handle == nullptr)
    throw std::runtime_error(std::string("cannot create the window: ") +
                             std::strerror(errno));
  impl_ = std::make_unique<Impl>(Impl{handle});
}

TopLevelWindow::~TopLevelWindow() { destroy_window.get()(impl_->handle); }

std::intptr_t TopLevelWindow::handle() const {
  return reinterpret_cast<std::intptr_t>(impl_->handle);
}

void RunMessageLoop() {
  BindRuntime();
  run_message_loop.get()();
}

void StopMessageLoop() {
  if (auto* stop = bound_stop.load()) {
    stop();
    return;
  }
  early_stop.store(true);
  // The runtime may have been bound since the look above; whichever side
  // takes the flag hands it on.
  if (auto* stop = bound_stop.load(); stop != nullptr && early_stop.exchange(false))
    stop();
}

void EndProgram() {
  if (auto* end = bound_exit.load()) end(0);
  _exit(0);
}

}  // namespace platform
