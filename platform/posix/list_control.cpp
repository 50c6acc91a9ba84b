// The native list control: an in-memory model with the list box's rules.

#include "list_control.h"

#include <algorithm>
#include <vector>

namespace platform {
namespace {

char16_t FoldAsciiCase(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Sort order of a sorting list: ASCII letters compare regardless of case.
bool SortsBefore(const std::u16string& a, const std::u16string& b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char16_t x, char16_t y) { return FoldAsciiCase(x) < FoldAsciiCase(y); });
}

}  // namespace

struct ListControl::Impl {
  bool sorted;
  std::vector<std::u16string> items;
};

ListControl::ListControl(bool sorted)
    : impl_(std::make_unique<Impl>(Impl{sorted, {}})) {}

ListControl::~ListControl() = default;

void ListControl::AddItem(const std::u16string& item) {
  auto& items = impl_->items;
  if (static_cast<std::int32_t>(items.size()) >= kMaxItems)
    throw ListControlError("list control is full: it holds 32767 items");
  // An item equal to others goes after them, as it would arrive.
  const auto at = impl_->sorted
                      ? std::upper_bound(items.begin(), items.end(), item,
                                         SortsBefore)
                      : items.end();
  items.insert(at, item);
}

std::int16_t ListControl::ListCount() const {
  return static_cast<std::int16_t>(impl_->items.size());
}

std::u16string ListControl::List(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(impl_->items.size()))
    throw ListControlError("list index out of range");
  return impl_->items[static_cast<std::size_t>(index)];
}

}  // namespace platform
