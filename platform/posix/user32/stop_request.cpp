#include "stop_request.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

namespace user32 {
namespace {

static_assert(std::atomic<bool>::is_always_lock_free);

StopRequest the_stop_request;

}  // namespace

StopRequest::StopRequest() {
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    read_fd_ = fds[0];
    write_fd_ = fds[1];
  }
}

void StopRequest::Request() noexcept {
  const int saved_errno = errno;
  requested_.store(true);
  if (write_fd_ >= 0) {
    const char wake = 0;
    // A full pipe already wakes the loop.
    [[maybe_unused]] const ssize_t ignored = write(write_fd_, &wake, 1);
  }
  errno = saved_errno;
}

bool StopRequest::Take() noexcept {
  if (!requested_.exchange(false)) return false;
  if (read_fd_ >= 0) {
    char drain[64];
    while (read(read_fd_, drain, sizeof drain) > 0) {
    }
  }
  return true;
}

StopRequest& TheStopRequest() { return the_stop_request; }

}  // namespace user32
