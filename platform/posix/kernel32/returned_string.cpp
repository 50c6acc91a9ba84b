#include "returned_string.h"

#include <algorithm>
#include <cstring>

namespace pellomar::profile_store {

Returned CopyString(std::string_view text, char* buffer, std::size_t size) {
  if (size == 0) return {0, !text.empty()};
  const std::size_t copied = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return {copied, copied < text.size()};
}

void NameList::Put(std::string_view bytes) {
  const std::size_t room = size_ - written_;
  const std::size_t copied = std::min(bytes.size(), room);
  if (copied > 0) std::memcpy(buffer_ + written_, bytes.data(), copied);
  written_ += copied;
  if (copied < bytes.size()) overflow_ = true;
}

bool NameList::Add(std::string_view name) {
  any_ = true;
  Put(name);
  Put(std::string_view("\0", 1));
  return !overflow_;
}

Returned NameList::Finish() {
  // A list fits only with room to spare: one that takes exactly the size,
  // final NUL included, is answered as a cut one.
  if (!overflow_ && written_ + 1 < size_) {
    buffer_[written_] = '\0';
    return {written_, false};
  }
  if (size_ >= 2) {
    buffer_[size_ - 2] = '\0';
    buffer_[size_ - 1] = '\0';
    return {size_ - 2, true};
  }
  if (size_ == 1) buffer_[0] = '\0';
  return {0, size_ > 0 || any_};
}

}  // namespace pellomar::profile_store
