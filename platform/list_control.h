// A list control: items of text, appended or kept in sort order, with a
// 16-bit signed item count.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace platform {

// A failure the list control reports, raised as an error to the caller.
class ListControlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ListControl {
 public:
  // The largest number of items a list holds: its count is a 16-bit signed
  // integer.
  static constexpr std::int32_t kMaxItems = 32767;

  // An empty list; a sorted one places each added item by its sort order.
  explicit ListControl(bool sorted = false);
  ListControl(const ListControl&) = delete;
  ListControl& operator=(const ListControl&) = delete;
  ~ListControl();

  // Adds an item without giving a position. Throws ListControlError when the
  // list can hold no more or the control refuses the item.
  void AddItem(const std::u16string& item);

  // The number of items. Throws ListControlError when the control fails.
  std::int16_t ListCount() const;

  // The item at a 0-based index. Throws ListControlError when out of range.
  std::u16string List(std::int32_t index) const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
