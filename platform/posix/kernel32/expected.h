// A value or the reason why there is none.
#pragma once

#include <utility>

#include "win32_error.h"

namespace pellomar::profile_store {

template <typename T>
class Expected {
 public:
  Expected(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
  Expected(Win32Error error) : error_(error) {}    // NOLINT: implicit on purpose

  bool ok() const { return error_ == Win32Error::kSuccess; }
  Win32Error error() const { return error_; }

  T& operator*() { return value_; }
  const T& operator*() const { return value_; }
  T* operator->() { return &value_; }
  const T* operator->() const { return &value_; }

 private:
  T value_{};
  Win32Error error_ = Win32Error::kSuccess;
};

}  // namespace pellomar::profile_store
