// A file descriptor that closes itself.
#pragma once

#include <unistd.h>

#include <utility>

namespace pellomar::profile_store {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

  // Closes now; the result of close(), which matters after writing.
  int Close() { return close(std::exchange(fd_, -1)); }

 private:
  void Reset() {
    if (fd_ >= 0) close(std::exchange(fd_, -1));
  }

  int fd_ = -1;
};

}  // namespace pellomar::profile_store
