#include "system_functions.h"

#include "late_binding.h"
#include "system_abi.h"

namespace platform {
namespace {

LateBound<abi::WriteProfileStringAFn> write_profile_string{
    "kernel32", "WriteProfileStringA"};
LateBound<abi::GetProfileStringAFn> get_profile_string{"kernel32",
                                                       "GetProfileStringA"};
LateBound<abi::SendMessageAFn> send_message{"user32", "SendMessageA"};

}  // namespace

std::int32_t WriteProfileStringA(AnsiArgument lpAppName, AnsiArgument lpKeyName,
                                 AnsiArgument lpString) {
  const abi::Bool result = write_profile_string.get()(
      lpAppName.in(), lpKeyName.in(), lpString.in());
  lpAppName.WriteBack();
  lpKeyName.WriteBack();
  lpString.WriteBack();
  return result;
}

std::int32_t GetProfileStringA(AnsiArgument lpAppName, AnsiArgument lpKeyName,
                               AnsiArgument lpDefault,
                               AnsiArgument lpReturnedString,
                               std::int32_t nSize) {
  // The call may write no further than the buffer really reaches, whatever
  // size the caller claims.
  const auto capacity = static_cast<std::int64_t>(lpReturnedString.size());
  const abi::Dword size = static_cast<abi::Dword>(
      nSize < 0 ? 0 : (nSize > capacity ? capacity : nSize));
  const abi::Dword result = get_profile_string.get()(
      lpAppName.in(), lpKeyName.in(), lpDefault.in(), lpReturnedString.out(),
      size);
  lpAppName.WriteBack();
  lpKeyName.WriteBack();
  lpDefault.WriteBack();
  lpReturnedString.WriteBack();
  return static_cast<std::int32_t>(result);
}

std::intptr_t SendMessageA(std::intptr_t hWnd, std::int32_t Msg,
                           std::intptr_t wParam, AnsiArgument lParam) {
  const abi::Lresult result = send_message.get()(
      reinterpret_cast<abi::Hwnd>(hWnd), static_cast<abi::Uint>(Msg),
      static_cast<abi::Wparam>(wParam),
      reinterpret_cast<abi::Lparam>(lParam.in()));
  lParam.WriteBack();
  return result;
}

}  // namespace platform
