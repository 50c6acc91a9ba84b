// The window runtime: top-level windows of this process, created hidden, their
// load event, the message loop and the immediate end of the program.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A top-level window's behaviour. The runtime owns the system window; the
// object says what it is called and how it answers.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window() = default;

  // The caption the system window is created with.
  virtual std::u16string Caption() const = 0;

  // The load event: raised once, after the system window exists and before it
  // could ever be displayed.
  virtual void Load() {}

  // A message sent to the window. For messages that carry a text (such as
  // WM_WININICHANGE) lParam is the address of that text, NUL-terminated, in
  // the ANSI code page. Returns the message's result.
  virtual std::intptr_t HandleMessage(std::int32_t msg, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    (void)msg, (void)wParam, (void)lParam;
    return 0;
  }
};

// The system window of a Window object, created hidden; destroyed with this.
class TopLevelWindow {
 public:
  // Throws std::runtime_error when the system refuses the window.
  explicit TopLevelWindow(Window& behaviour);
  TopLevelWindow(const TopLevelWindow&) = delete;
  TopLevelWindow& operator=(const TopLevelWindow&) = delete;
  ~TopLevelWindow();

  // The system's handle of the window.
  std::intptr_t handle() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Waits for messages to this process's windows and dispatches them until
// StopMessageLoop() is called.
void RunMessageLoop();

// Makes RunMessageLoop() return. Safe to call from a signal handler.
void StopMessageLoop();

// Runs a program whose start-up object is `startup`: creates its window
// hidden, raises its load event, then runs the message loop. Returns the
// process's exit status if the program was not ended from within.
int RunStartupWindow(Window& startup);

// Ends the program at once: no further event runs and control never returns.
[[noreturn]] void EndProgram();

}  // namespace platform
