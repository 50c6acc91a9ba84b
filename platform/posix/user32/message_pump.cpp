#include "message_pump.h"

#include <errno.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <variant>

#include "endpoint.h"
#include "message_frame.h"

namespace user32 {
namespace {

// Calls read at once; past this many the listeners wait in the kernel's
// queue until some are answered.
constexpr std::size_t kMaxOpenCalls = 256;
// How often a loop without a wake pipe looks for a stop request.
constexpr int kStopPollMs = 100;

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

bool MessagePump::WaitServing(int fd, short events, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    pollfd wanted{fd, events, 0};
    const int wait = timeout_ms < 0 ? -1 : MillisecondsLeft(deadline);
    if (!PollOnce(std::span(&wanted, 1), wait)) return false;
    if (fd >= 0 && wanted.revents != 0) return true;
    if (timeout_ms >= 0 && MillisecondsLeft(deadline) == 0) return false;
  }
}

bool MessagePump::Run(StopRequest& stop) {
  for (;;) {
    if (stop.Take()) return true;
    pollfd wake{stop.wake_fd(), POLLIN, 0};
    if (!PollOnce(std::span(&wake, 1), wake.fd >= 0 ? -1 : kStopPollMs))
      return false;
  }
}

bool MessagePump::PollOnce(std::span<pollfd> extra, int timeout_ms) {
  std::vector<pollfd> fds(extra.begin(), extra.end());
  // What each further entry stands for: a listener's window or a call.
  std::vector<std::pair<Hwnd, std::uint64_t>> sources;
  if (calls_.size() < kMaxOpenCalls) {
    for (const auto& [window, listener] : windows_.Listeners()) {
      fds.push_back({listener, POLLIN, 0});
      sources.emplace_back(window, 0);
    }
  }
  for (const auto& [id, call] : calls_) {
    fds.push_back({call.socket.get(), POLLIN, 0});
    sources.emplace_back(nullptr, id);
  }

  const int ready = poll(fds.data(), fds.size(), timeout_ms);
  std::copy_n(fds.begin(), extra.size(), extra.begin());
  if (ready < 0) return errno == EINTR;

  // Serving may run window procedures, which may create or destroy windows
  // or send messages of their own: everything is looked up again by key.
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (fds[extra.size() + i].revents == 0) continue;
    const auto [window, call_id] = sources[i];
    if (call_id == 0)
      AcceptCalls(window);
    else
      ReadCall(call_id);
  }
  return true;
}

void MessagePump::AcceptCalls(Hwnd window) {
  while (calls_.size() < kMaxOpenCalls) {
    const int listener = windows_.ListenerOf(window);
    if (listener < 0) return;
    UniqueFd socket = AcceptFrom(listener);
    if (!socket.valid()) return;
    // The folder is private already; this also keeps out root's neighbours
    // when the process runs as root in a shared folder.
    if (!PeerIsThisUser(socket.get())) continue;
    const std::uint64_t id = next_call_id_++;
    calls_.emplace(id, IncomingCall{window, std::move(socket), {}, 0});
    // The sender writes its frame at once: most calls can be read now.
    ReadCall(id);
  }
}

void MessagePump::ReadCall(std::uint64_t id) {
  for (;;) {
    const auto found = calls_.find(id);
    if (found == calls_.end()) return;
    IncomingCall& call = found->second;
    const std::size_t want =
        (call.expected != 0 ? call.expected : kMessageHeaderSize) -
        call.received.size();
    const std::size_t had = call.received.size();
    call.received.resize(had + want);
    const ssize_t n = recv(call.socket.get(), call.received.data() + had, want, 0);
    call.received.resize(had + (n > 0 ? static_cast<std::size_t>(n) : 0));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n <= 0) {
      // Hung up or failed before the frame was whole: nothing to answer.
      calls_.erase(found);
      return;
    }
    if (call.expected == 0 && call.received.size() == kMessageHeaderSize) {
      const auto size = MessageFrameSize(call.received);
      if (!size) {
        calls_.erase(found);
        return;
      }
      call.expected = *size;
    }
    if (call.expected != 0 && call.received.size() == call.expected) {
      IncomingCall whole = std::move(call);
      calls_.erase(found);
      Answer(std::move(whole));
      return;
    }
  }
}

void MessagePump::Answer(IncomingCall call) {
  const auto message = DecodeMessage(call.received);
  if (!message) return;  // closing without a reply tells the sender
  const auto result = windows_.Deliver(call.window, *message);
  if (!result) return;  // the window went away meanwhile
  const auto reply = EncodeReply(static_cast<std::int64_t>(*result));
  // An empty socket takes 16 bytes at once; a sender that left misses them.
  [[maybe_unused]] const ssize_t sent =
      send(call.socket.get(), reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace user32
