// Receiving side of the window runtime: accepts the connections of other
// processes to this process's windows, reads one message frame from each,
// calls the window's procedure and answers with its result.
//
// Every wait of the runtime goes through here, so that a process keeps
// serving its own windows while it waits for another one (two processes
// sending to each other cannot deadlock).
#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "process_windows.h"
#include "stop_request.h"
#include "unique_fd.h"

namespace user32 {

using pellomar::posix::UniqueFd;

class MessagePump {
 public:
  explicit MessagePump(ProcessWindows& windows) : windows_(windows) {}
  MessagePump(const MessagePump&) = delete;
  MessagePump& operator=(const MessagePump&) = delete;

  // Waits until `fd` is ready for `events` or hung up, serving meanwhile.
  // A negative `fd` just serves for the time given. Returns false when
  // `timeout_ms` (-1: none) passed first.
  bool WaitServing(int fd, short events, int timeout_ms);

  // Serves until `stop` is requested (true) or waiting fails (false).
  bool Run(StopRequest& stop);

 private:
  // A connection that carries one message to one of this process's windows.
  struct IncomingCall {
    Hwnd window;
    UniqueFd socket;
    std::vector<std::byte> received;
    std::size_t expected = 0;  // the frame's size once its header is in
  };

  // One wait on `extra`, the listeners and the open calls; serves whatever
  // became ready. False when poll itself fails.
  bool PollOnce(std::span<pollfd> extra, int timeout_ms);
  void AcceptCalls(Hwnd window);
  void ReadCall(std::uint64_t id);
  void Answer(IncomingCall call);

  ProcessWindows& windows_;
  std::map<std::uint64_t, IncomingCall> calls_;
  std::uint64_t next_call_id_ = 1;
};

}  // namespace user32
