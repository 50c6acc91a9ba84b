#include "fake_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace broadcast_testing {
namespace {

sockaddr_un AddressOf(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path)
    throw std::runtime_error("socket path too long: " + text);
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return address;
}

std::filesystem::path FreshEndpoint(const std::filesystem::path& folder) {
  // Pid 1 is never one of the test's processes.
  static std::atomic<int> serial{1};
  return folder / ("1." + std::to_string(serial++) + ".00000000000000fa");
}

void SendBytes(int socket, const void* bytes, std::size_t size) {
  [[maybe_unused]] const ssize_t sent = send(socket, bytes, size, MSG_NOSIGNAL);
}

}  // namespace

FakePeer::FakePeer(const std::filesystem::path& folder, FakeAnswer answer,
                   std::function<void()> on_message)
    : endpoint_(FreshEndpoint(folder)),
      answer_(answer),
      on_message_(std::move(on_message)) {
  const sockaddr_un address = AddressOf(endpoint_);
  listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0 ||
      bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 64) != 0 || pipe2(stop_pipe_, O_CLOEXEC) != 0)
    throw std::runtime_error("cannot listen at " + endpoint_.string());
  thread_ = std::thread([this] { Serve(); });
}

FakePeer::~FakePeer() {
  const char stop = 0;
  [[maybe_unused]] const ssize_t written = write(stop_pipe_[1], &stop, 1);
  thread_.join();
  close(listener_);
  close(stop_pipe_[0]);
  close(stop_pipe_[1]);
  std::filesystem::remove(endpoint_);
}

std::vector<user32::Message> FakePeer::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

bool FakePeer::WaitReadable(int fd) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
  while (poll(fds, 2, -1) < 0) {
  }
  return fds[1].revents == 0;
}

void FakePeer::Serve() {
  while (WaitReadable(listener_)) {
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    ++connections_;
    answering_.emplace_back([this, connection] {
      Answer(connection);
      close(connection);
    });
  }
  for (auto& thread : answering_) thread.join();
}

void FakePeer::Answer(int socket) {
  if (answer_ == FakeAnswer::kCloseUnread) return;

  std::vector<std::byte> frame(user32::kMessageHeaderSize);
  std::size_t have = 0;
  std::optional<std::size_t> size;
  while (have < frame.size()) {
    if (!WaitReadable(socket)) return;
    const ssize_t n = recv(socket, frame.data() + have, frame.size() - have, 0);
    if (n <= 0) return;
    have += static_cast<std::size_t>(n);
    if (!size && have == user32::kMessageHeaderSize) {
      size = user32::MessageFrameSize(frame);
      if (!size) return;
      frame.resize(*size);
    }
  }
  if (auto message = user32::DecodeMessage(frame)) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(*message));
  }
  if (on_message_) on_message_();

  const auto reply = user32::EncodeReply(7);
  switch (answer_) {
    case FakeAnswer::kValidReply:
      SendBytes(socket, reply.data(), reply.size());
      return;
    case FakeAnswer::kHangUpMidReply:
      SendBytes(socket, reply.data(), 6);
      return;
    case FakeAnswer::kHangUpBeforeReply:
    case FakeAnswer::kCloseUnread:
      return;
    case FakeAnswer::kGarbageReply:
      SendBytes(socket, "garbage garbage!", 16);
      break;
    case FakeAnswer::kHugeLengthReply: {
      auto header = *user32::EncodeMessage({user32::kWmWinIniChange, 0, std::string("x")});
      header[12] = header[13] = header[14] = header[15] = std::byte{0xFF};
      SendBytes(socket, header.data(), header.size());
      break;
    }
  }
  // Stays until the sender lets go, so that a sender waiting for more
  // would hang here rather than pass.
  char ignored[64];
  while (WaitReadable(socket) && recv(socket, ignored, sizeof ignored, 0) > 0) {
  }
}

std::optional<std::vector<std::byte>> SendRawBytes(
    const std::filesystem::path& path, const std::vector<std::byte>& bytes) {
  const sockaddr_un address = AddressOf(path);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return std::nullopt;
  if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(socket);
    return std::nullopt;
  }
  SendBytes(socket, bytes.data(), bytes.size());
  shutdown(socket, SHUT_WR);
  std::vector<std::byte> answer;
  std::byte chunk[256];
  ssize_t n;
  while ((n = recv(socket, chunk, sizeof chunk, 0)) > 0)
    answer.insert(answer.end(), chunk, chunk + n);
  close(socket);
  return answer;
}

}  // namespace broadcast_testing
