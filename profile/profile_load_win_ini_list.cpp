#include <cstdint>
#include <string>
#include <string_view>

#include "main_window.h"
#include "system_functions.h"

namespace {

// Size of the key-list buffer, in characters, and the size the call is given.
constexpr std::int32_t kKeyListSize = 8102;

// When the names do not fit, the profile call cuts the last one, ends the
// buffer with two NULs and returns the size less 2. (A list that fits exactly
// in the size less 2 leaves the buffer's last space untouched.)
bool KeyListWasCut(const std::u16string& buffer, std::int32_t n) {
  using namespace std::string_view_literals;
  return n == kKeyListSize - 2 && buffer.ends_with(u"\0\0"sv);
}

// Drops the cut last name and the two NULs after it. With single-byte names
// the count already ends inside the cut name; with multi-byte ones it reaches
// past it, so the name has to go by position.
void DropCutName(std::u16string& buffer) {
  buffer.resize(buffer.size() - 2);
  const auto last_nul = buffer.rfind(u'\0');
  buffer.resize(last_nul == std::u16string::npos ? 0 : last_nul + 1);
}

}  // namespace

std::int32_t Form1::ProfileLoadWinIniList(platform::ListControl& lst,
                                          std::u16string& lpSectionName) {
  std::u16string buffer(kKeyListSize, u' ');
  const std::int32_t n = platform::GetProfileStringA(
      lpSectionName, nullptr, u"", buffer, kKeyListSize);
  if (n != 0) {
    if (KeyListWasCut(buffer, n)) DropCutName(buffer);
    // n counts ANSI bytes: with multi-byte names it is more than the
    // characters they became.
    if (static_cast<std::size_t>(n) < buffer.size())
      buffer.resize(static_cast<std::size_t>(n));
    while (!buffer.empty()) {
      const std::u16string item = TakeFirstNulItem(buffer);
      // The empty item ends the list: it is either the NUL that closes the
      // list (an empty key name cannot be told from it), or what is left
      // with no NUL at all, a name cut by the end of the buffer or spaces
      // that the byte count reached past multi-byte names. Neither is a key.
      if (item.empty()) break;
      lst.AddItem(item);
    }
  }
  return static_cast<std::int32_t>(lst.ListCount());
}
