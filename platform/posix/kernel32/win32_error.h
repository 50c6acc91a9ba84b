// The reasons of failure that the store reports, with Win32's numbers, and
// their translation from errno.
#pragma once

#include <cstdint>

namespace pellomar::profile_store {

enum class Win32Error : std::uint32_t {
  kSuccess = 0,
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kNotEnoughMemory = 8,
  kInvalidData = 13,
  kWriteProtect = 19,
  kWriteFault = 29,
  kReadFault = 30,
  kSharingViolation = 32,
  kInvalidParameter = 87,
  kDiskFull = 112,
  kFilenameExcedRange = 206,
  kFileTooLarge = 223,
  kMoreData = 234,
  kCantResolveFilename = 1921,
};

// What a failed file operation means; `otherwise` for errors with no better
// match (ERROR_READ_FAULT when reading, ERROR_WRITE_FAULT when writing).
Win32Error Win32ErrorFromErrno(int error, Win32Error otherwise);

}  // namespace pellomar::profile_store
