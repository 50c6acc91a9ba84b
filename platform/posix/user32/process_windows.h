// The top-level windows of this process: their procedures and the endpoints
// through which other processes reach them.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "message_frame.h"
#include "unique_fd.h"
#include "window_runtime_api.h"

namespace user32 {

using platform::abi::Hwnd;
using platform::abi::Lparam;
using platform::abi::Lresult;
using platform::abi::Uint;
using platform::abi::Wparam;
using pellomar::posix::UniqueFd;
using WindowProcedure = platform::abi::PellomarWindowProcedure;

class ProcessWindows {
 public:
  ProcessWindows();
  ProcessWindows(const ProcessWindows&) = delete;
  ProcessWindows& operator=(const ProcessWindows&) = delete;
  ~ProcessWindows();  // removes the endpoints of the windows still there

  Hwnd Create(std::string caption, WindowProcedure* procedure, void* context);
  bool Destroy(Hwnd window);

  std::vector<Hwnd> Handles() const;
  // Listening sockets of the windows that other processes can reach.
  std::vector<std::pair<Hwnd, int>> Listeners() const;
  // The listening socket of `window`, or -1.
  int ListenerOf(Hwnd window) const;
  // Whether endpoint `name` is one of this process's windows.
  bool OwnsEndpoint(std::string_view name) const;

  // Calls the window's procedure with the words as they are. Nothing when
  // `window` is not a live window of this process.
  std::optional<Lresult> Dispatch(Hwnd window, Uint message, Wparam wParam,
                                  Lparam lParam);
  // Calls it with `message`; a text goes as the address of a copy that
  // belongs to this call.
  std::optional<Lresult> Deliver(Hwnd window, const Message& message);

  // Unlinks every endpoint of this process, for an immediate end.
  void RemoveEndpoints() noexcept;

 private:
  struct Record {
    std::string caption;
    WindowProcedure* procedure;
    void* context;
    std::string endpoint_name;  // empty when other processes cannot reach it
    std::string endpoint_path;
    UniqueFd listener;
    // A child forked from this process shares the record but not the
    // endpoint: only the creator removes it.
    pid_t creator;
  };

  const Record* Find(Hwnd window) const;
  static void RemoveEndpoint(const Record& record) noexcept;

  std::map<std::uintptr_t, std::unique_ptr<Record>> windows_;
  std::uint64_t next_serial_ = 1;
  std::uint64_t nonce_;
};

}  // namespace user32
