// The request that ends the message loop: a flag that stays set until the
// loop takes it, and a pipe that wakes a loop that is waiting.
#pragma once

#include <atomic>

namespace user32 {

class StopRequest {
 public:
  StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // Async-signal-safe; keeps errno.
  void Request() noexcept;
  // Takes a pending request, if any.
  bool Take() noexcept;
  // Readable while a request may be pending; -1 when the pipe could not be
  // made (the loop then looks at the flag from time to time).
  int wake_fd() const { return read_fd_; }

 private:
  std::atomic<bool> requested_{false};
  // Kept open for the life of the process, so that a signal arriving late
  // never writes into a descriptor that was reused.
  int read_fd_ = -1;
  int write_fd_ = -1;
};

// The process's one request, made when the library is loaded, before any
// signal handler could want it.
StopRequest& TheStopRequest();

}  // namespace user32
