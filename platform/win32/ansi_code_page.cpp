// The ANSI code page of the Windows build is the system's (CP_ACP), converted
// by the system. "?" stands for what the code page lacks, never a best-fit
// look-alike: a text that comes back must differ only where it could not go.

#include "ansi_code_page.h"

#include <windows.h>

#include <climits>
#include <stdexcept>
#include <string>

namespace platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t),
              "Windows' wide characters are the program's 16-bit characters");

bool AnsiIsUtf8() { return GetACP() == CP_UTF8; }

int SystemLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX))
    throw std::length_error("text too long for the system's conversion");
  return static_cast<int>(size);
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// One "?" for each character the code page cannot hold that the system would
// not replace as one: a lone surrogate always, and in a code page other than
// UTF-8 a character beyond U+FFFF (which none of them has).
std::u16string ReplaceSurrogates(std::u16string_view text, bool keep_pairs) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool pair = IsHighSurrogate(c) && i + 1 < text.size() &&
                      IsLowSurrogate(text[i + 1]);
    if (pair) {
      if (keep_pairs) {
        out.push_back(c);
        out.push_back(text[i + 1]);
      } else {
        out.push_back(u'?');
      }
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      out.push_back(u'?');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// Converts `bytes` strictly; false when some sequence is not valid in the
// code page.
bool StrictlyToWide(std::string_view bytes, std::u16string& text) {
  const int length = SystemLength(bytes.size());
  const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS,
                                       bytes.data(), length, nullptr, 0);
  if (size <= 0) return false;
  std::u16string wide(static_cast<std::size_t>(size), u'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length,
                      reinterpret_cast<wchar_t*>(wide.data()), size);
  text += wide;
  return true;
}

// The length of the character that starts `rest`, by its first byte.
std::size_t CharacterLength(std::string_view rest, bool utf8) {
  const auto lead = static_cast<unsigned char>(rest.front());
  std::size_t length = 1;
  if (utf8) {
    if ((lead & 0xE0) == 0xC0) length = 2;
    else if ((lead & 0xF0) == 0xE0) length = 3;
    else if ((lead & 0xF8) == 0xF0) length = 4;
  } else if (IsDBCSLeadByte(lead)) {
    length = 2;
  }
  return length < rest.size() ? length : rest.size();
}

}  // namespace

std::string ToAnsi(std::u16string_view text) {
  const bool utf8 = AnsiIsUtf8();
  const std::u16string prepared = ReplaceSurrogates(text, utf8);
  if (prepared.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(prepared.data());
  const int length = SystemLength(prepared.size());
  // UTF-8 has every character and takes neither option.
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* missing = utf8 ? nullptr : "?";
  const int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0,
                                       missing, nullptr);
  if (size <= 0) throw std::runtime_error("the system cannot convert to ANSI");
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, missing,
                      nullptr);
  return bytes;
}

std::u16string FromAnsi(std::string_view bytes) {
  std::u16string text;
  if (bytes.empty() || StrictlyToWide(bytes, text)) return text;
  // Some sequence is not valid: convert character by character, and let a
  // byte that starts no valid character become "?".
  text.clear();
  const bool utf8 = AnsiIsUtf8();
  while (!bytes.empty()) {
    const std::size_t length = CharacterLength(bytes, utf8);
    if (StrictlyToWide(bytes.substr(0, length), text)) {
      bytes.remove_prefix(length);
    } else {
      text.push_back(u'?');
      bytes.remove_prefix(1);
    }
  }
  return text;
}

}  // namespace platform
