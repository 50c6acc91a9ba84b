#include "win32_error.h"

#include <cerrno>

namespace pellomar::profile_store {

Win32Error Win32ErrorFromErrno(int error, Win32Error otherwise) {
  // A failure whose errno says nothing (0) is still a failure.
  switch (error) {
    case ENOENT:
      return Win32Error::kFileNotFound;
    case ENOTDIR:
      return Win32Error::kPathNotFound;
    case EMFILE:
    case ENFILE:
      return Win32Error::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
      return Win32Error::kAccessDenied;
    case ENOMEM:
      return Win32Error::kNotEnoughMemory;
    case EROFS:
      return Win32Error::kWriteProtect;
    case EBUSY:
    case ETXTBSY:
      return Win32Error::kSharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return Win32Error::kDiskFull;
    case ENAMETOOLONG:
      return Win32Error::kFilenameExcedRange;
    case ELOOP:
      return Win32Error::kCantResolveFilename;
    default:
      return otherwise;
  }
}

}  // namespace pellomar::profile_store
