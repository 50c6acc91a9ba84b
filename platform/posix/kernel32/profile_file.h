// Reading the whole profile into one buffer.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "expected.h"

namespace pellomar::profile_store {

class ProfileBytes {
 public:
  std::string_view text() const { return {data_.get(), size_}; }
  const struct stat& status() const { return status_; }

 private:
  friend Expected<ProfileBytes> ReadProfile(const std::string& path);

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  struct stat status_ {};
};

// The profile at `path` (symlinks followed), checked against the limits:
// ERROR_FILE_NOT_FOUND when missing, ERROR_ACCESS_DENIED for a folder or
// another non-regular file, ERROR_FILE_TOO_LARGE, ERROR_INVALID_DATA.
Expected<ProfileBytes> ReadProfile(const std::string& path);

}  // namespace pellomar::profile_store
