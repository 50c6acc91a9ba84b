// A file descriptor that is closed with its owner.
#pragma once

#include <unistd.h>

#include <utility>

namespace pellomar::posix {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

  // Closes now, if open.
  void reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

  // Closes now; the result of close(), which matters after writing.
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_ = -1;
};

}  // namespace pellomar::posix
