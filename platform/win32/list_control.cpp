// The Windows list control: a real LISTBOX. It lives as a message-only window,
// so it is no top-level window and never sees a broadcast.

#include "list_control.h"

#include <windows.h>

#include <string>

namespace platform {
namespace {

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

HWND CreateListBox(bool sorted) {
  const DWORD style = LBS_HASSTRINGS | (sorted ? LBS_SORT : 0);
  const HWND list =
      CreateWindowExW(0, L"LISTBOX", L"", style, 0, 0, 0, 0, HWND_MESSAGE,
                      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr)
    throw ListControlError("the system refuses the list control");
  return list;
}

// LB_ERR and LB_ERRSPACE are the control's failures.
bool Failed(LRESULT answer) { return answer == LB_ERR || answer == LB_ERRSPACE; }

}  // namespace

struct ListControl::Impl {
  explicit Impl(bool sorted) : list(CreateListBox(sorted)) {}
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  ~Impl() { DestroyWindow(list); }

  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(list, message, wParam, lParam);
  }

  const HWND list;
};

ListControl::ListControl(bool sorted) : impl_(std::make_unique<Impl>(sorted)) {}

ListControl::~ListControl() = default;

void ListControl::AddItem(const std::u16string& item) {
  // The system's list box would go on past a 16-bit count.
  if (ListCount() >= kMaxItems)
    throw ListControlError("list control is full: it holds 32767 items");
  const LRESULT answer =
      impl_->Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
  if (Failed(answer))
    throw ListControlError(answer == LB_ERRSPACE
                               ? "list control has no room for the item"
                               : "list control refuses the item");
}

std::int16_t ListControl::ListCount() const {
  const LRESULT count = impl_->Send(LB_GETCOUNT, 0, 0);
  if (Failed(count)) throw ListControlError("list control cannot count its items");
  return static_cast<std::int16_t>(count);
}

std::u16string ListControl::List(std::int32_t index) const {
  if (index < 0) throw ListControlError("list index out of range");
  const auto at = static_cast<WPARAM>(index);
  const LRESULT length = impl_->Send(LB_GETTEXTLEN, at, 0);
  if (Failed(length)) throw ListControlError("list index out of range");
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  const LRESULT copied =
      impl_->Send(LB_GETTEXT, at, reinterpret_cast<LPARAM>(text.data()));
  if (Failed(copied)) throw ListControlError("list index out of range");
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

}  // namespace platform
