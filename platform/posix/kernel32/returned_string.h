// Filling the caller's buffer the way GetProfileStringA does, never writing
// past its size.
#pragma once

#include <cstddef>
#include <string_view>

namespace pellomar::profile_store {

struct Returned {
  std::size_t count = 0;  // what the call returns
  bool truncated = false;
};

// One string: cut to size-1 bytes, then a NUL. Returns the bytes copied.
Returned CopyString(std::string_view text, char* buffer, std::size_t size);

// A list of names, each followed by a NUL, then one more NUL. When it does
// not fit with a byte to spare (a list that takes exactly the size counts as
// cut), the last name is cut, the buffer ends with two NULs and the count is
// size-2.
class NameList {
 public:
  NameList(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {}

  // Adds a name; false once the buffer is full, when nothing more will fit.
  bool Add(std::string_view name);
  bool empty() const { return !any_; }
  Returned Finish();

 private:
  void Put(std::string_view bytes);

  char* buffer_;
  std::size_t size_;
  std::size_t written_ = 0;  // bytes placed in the buffer
  bool overflow_ = false;    // the list did not fit
  bool any_ = false;
};

}  // namespace pellomar::profile_store
