#include <cstdint>
#include <string>

#include "main_window.h"
#include "system_functions.h"

namespace {

// Size of the key-list buffer, in characters, and the size the call is given.
constexpr std::int32_t kKeyListSize = 8102;

// When the names do not fit, the profile call cuts the last one and returns
// the size less 2; a list that exactly fills the buffer is answered the same
// way. The count alone says so: Windows ends the buffer with two NULs, but
// Windows XP (and Wine) leave its last byte as it was. (Names that take
// exactly the size less 2 with their NULs give the same count.)
bool KeyListWasCut(std::int32_t n) { return n == kKeyListSize - 2; }

// Drops what the call wrote after the list's last NUL, the NUL at byte
// size - 2 and the last byte, whatever that holds, and then the cut name
// before them, if any: when the text before that NUL ends in a NUL, every
// name in it is whole. With single-byte names the count already ends inside
// the cut name; with multi-byte ones it reaches past it, so the name has to
// go by position.
void DropCutName(std::u16string& buffer) {
  if (!buffer.empty()) buffer.pop_back();
  if (!buffer.empty() && buffer.back() == u'\0') buffer.pop_back();
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
    if (KeyListWasCut(n)) DropCutName(buffer);
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
