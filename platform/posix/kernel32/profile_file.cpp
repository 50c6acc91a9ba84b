#include "profile_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "profile_limits.h"
#include "profile_validation.h"
#include "unique_fd.h"

namespace pellomar::profile_store {

using pellomar::posix::UniqueFd;

Expected<ProfileBytes> ReadProfile(const std::string& path) {
  // O_NONBLOCK: a FIFO in place of the profile must not hang the caller.
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return Win32ErrorFromErrno(errno, Win32Error::kReadFault);
  ProfileBytes bytes;
  if (fstat(fd.get(), &bytes.status_) != 0)
    return Win32ErrorFromErrno(errno, Win32Error::kReadFault);
  if (!S_ISREG(bytes.status_.st_mode)) return Win32Error::kAccessDenied;
  const auto reported = static_cast<std::size_t>(bytes.status_.st_size);
  if (reported > kMaxProfileBytes) return Win32Error::kFileTooLarge;

  // One byte more than expected shows a file that grew meanwhile.
  std::size_t capacity = reported + 1;
  bytes.data_ = std::make_unique_for_overwrite<char[]>(capacity);
  for (;;) {
    if (bytes.size_ == capacity) {
      if (capacity > kMaxProfileBytes) return Win32Error::kFileTooLarge;
      const std::size_t grown = std::min(capacity * 2, kMaxProfileBytes + 1);
      auto larger = std::make_unique_for_overwrite<char[]>(grown);
      std::memcpy(larger.get(), bytes.data_.get(), bytes.size_);
      bytes.data_ = std::move(larger);
      capacity = grown;
    }
    const ssize_t n = read(fd.get(), bytes.data_.get() + bytes.size_,
                           capacity - bytes.size_);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return Win32ErrorFromErrno(errno, Win32Error::kReadFault);
    }
    bytes.size_ += static_cast<std::size_t>(n);
  }
  const Win32Error valid = ValidateProfile(bytes.text());
  if (valid != Win32Error::kSuccess) return valid;
  return bytes;
}

}  // namespace pellomar::profile_store
