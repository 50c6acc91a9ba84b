// Endpoints that the tests plant in the window folder: a peer that answers a
// message the way a test wants (rightly, with garbage, or not at all), and a
// sender of raw bytes to a real window.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "message_frame.h"

namespace broadcast_testing {

enum class FakeAnswer {
  kValidReply,
  kGarbageReply,        // 16 bytes that are no reply
  kHangUpBeforeReply,   // reads the message, closes
  kHangUpMidReply,      // 6 bytes of a valid reply, then closes
  kHugeLengthReply,     // a frame header claiming 4 GiB of text
  kCloseUnread,         // closes without reading anything
};

// Listens in `folder` under an endpoint name of no real process, on a thread
// of its own; each connection is answered on a thread of its own too, so
// that one held answer does not hold the others.
class FakePeer {
 public:
  // `on_message` runs on the peer's thread after a message was read and
  // before the answer.
  FakePeer(const std::filesystem::path& folder, FakeAnswer answer,
           std::function<void()> on_message = {});
  FakePeer(const FakePeer&) = delete;
  FakePeer& operator=(const FakePeer&) = delete;
  ~FakePeer();

  const std::filesystem::path& endpoint() const { return endpoint_; }
  int connections() const { return connections_.load(); }
  std::vector<user32::Message> messages() const;

 private:
  void Serve();
  void Answer(int socket);
  // Waits until `fd` is readable; false once the peer is being stopped.
  bool WaitReadable(int fd);

  std::filesystem::path endpoint_;
  FakeAnswer answer_;
  std::function<void()> on_message_;
  int listener_ = -1;
  int stop_pipe_[2] = {-1, -1};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<user32::Message> messages_;
  std::vector<std::thread> answering_;  // touched by the listening thread only
  std::thread thread_;
};

// Connects to the endpoint at `path`, writes `bytes`, closes its writing
// side and reads until the other side closes. Returns what came back, or
// nothing when the connection could not be made.
std::optional<std::vector<std::byte>> SendRawBytes(
    const std::filesystem::path& path, const std::vector<std::byte>& bytes);

}  // namespace broadcast_testing
