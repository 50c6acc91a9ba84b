#include "last_error.h"

namespace pellomar::profile_store {
namespace {

thread_local Win32Error last_error = Win32Error::kSuccess;

}  // namespace

void SetLastError(Win32Error error) { last_error = error; }

Win32Error LastError() { return last_error; }

}  // namespace pellomar::profile_store
