#include "send_message.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <string>

#include "endpoint.h"
#include "message_frame.h"
#include "window_folder.h"

namespace user32 {
namespace {

// How long a sender serves its own windows before it knocks again at a
// listener whose queue was full.
constexpr int kBusyRetryMs = 10;

Message MessageOf(Uint number, Wparam wParam, Lparam lParam) {
  Message message;
  message.number = number;
  message.wParam = wParam;
  if (CarriesText(number) && lParam != 0)
    message.lParam = std::string(reinterpret_cast<const char*>(lParam));
  else
    message.lParam = static_cast<std::int64_t>(lParam);
  return message;
}

bool SendAll(MessagePump& pump, int socket, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pump.WaitServing(socket, POLLOUT, -1);
    } else {
      return false;
    }
  }
  return true;
}

bool ReceiveAll(MessagePump& pump, int socket, std::span<std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = recv(socket, bytes.data(), bytes.size(), 0);
    if (n > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pump.WaitServing(socket, POLLIN, -1);
    } else {
      return false;  // hung up before the reply was whole
    }
  }
  return true;
}

// One frame to the window at `path` and its reply; the reply's value is not
// kept, a broadcast returns none.
void DeliverToPeer(MessagePump& pump, const std::string& path,
                   std::span<const std::byte> frame) {
  UniqueFd socket;
  for (;;) {
    const ConnectOutcome outcome = ConnectTo(path, socket);
    if (outcome == ConnectOutcome::kConnected) break;
    if (outcome == ConnectOutcome::kGone) {
      unlink(path.c_str());
      return;
    }
    if (outcome == ConnectOutcome::kFailed) return;
    pump.WaitServing(-1, 0, kBusyRetryMs);
  }
  if (!SendAll(pump, socket.get(), frame)) return;
  std::array<std::byte, kReplySize> reply{};
  if (!ReceiveAll(pump, socket.get(), reply)) return;
  [[maybe_unused]] const auto result = DecodeReply(reply);
}

Lresult Broadcast(Runtime& runtime, const Message& message) {
  for (const Hwnd own : runtime.windows.Handles())
    runtime.windows.Deliver(own, message);

  const auto frame = EncodeMessage(message);
  if (!frame) return 0;
  const auto folder = WindowFolder();
  if (!folder) return 0;
  for (const std::string& name : ListEndpoints(*folder)) {
    // Windows created meanwhile by this process were not in the list above
    // and are not served here either: the message went out before them.
    if (runtime.windows.OwnsEndpoint(name)) continue;
    DeliverToPeer(runtime.pump, *folder + "/" + name, *frame);
  }
  return 0;
}

}  // namespace

Lresult SendMessageToWindows(Runtime& runtime, Hwnd window, Uint message,
                             Wparam wParam, Lparam lParam) {
  if (reinterpret_cast<std::uintptr_t>(window) == kHwndBroadcast)
    return Broadcast(runtime, MessageOf(message, wParam, lParam));
  return runtime.windows.Dispatch(window, message, wParam, lParam).value_or(0);
}

}  // namespace user32
