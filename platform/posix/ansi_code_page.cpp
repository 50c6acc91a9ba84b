// The ANSI code page of the native build is the code set of the locale that
// the environment names (LC_ALL, LC_CTYPE, LANG), converted with iconv.

#include "ansi_code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace platform {
namespace {

// The environment's code set, read without touching the process's locale.
std::string AnsiCodeSet() {
  locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr))
    loc = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return "ANSI_X3.4-1968";
  std::string code_set = nl_langinfo_l(CODESET, loc);
  freelocale(loc);
  return code_set;
}

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error("no conversion from " + from + " to " + to);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { iconv_close(cd_); }

  // Converts `in`; where a unit cannot be converted, writes `replacement` and
  // skips `skip(remaining input)` bytes.
  template <typename Skip>
  std::string Run(std::string_view in, std::string_view replacement,
                  Skip skip) {
    std::string out(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    std::size_t used = 0;
    while (src_left > 0) {
      char* dst = out.data() + used;
      std::size_t dst_left = out.size() - used;
      const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      used = out.size() - dst_left;
      if (rc != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL: a unit the other side cannot take.
      if (out.size() - used < replacement.size()) out.resize(out.size() * 2);
      std::memcpy(out.data() + used, replacement.data(), replacement.size());
      used += replacement.size();
      const std::size_t n = skip(std::string_view(src, src_left));
      src += n;
      src_left -= n;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

// One UTF-16 code point: a surrogate pair takes four bytes.
std::size_t SkipUtf16CodePoint(std::string_view rest) {
  if (rest.size() >= 4) {
    const auto hi = static_cast<unsigned char>(rest[1]);
    const auto lo = static_cast<unsigned char>(rest[3]);
    if (hi >= 0xD8 && hi <= 0xDB && lo >= 0xDC && lo <= 0xDF) return 4;
  }
  return rest.size() < 2 ? rest.size() : 2;
}

std::size_t SkipOneByte(std::string_view) { return 1; }

// Every code set glibc accepts for a locale agrees with ASCII on 0 to 0x7F,
// so ASCII text needs neither the locale nor iconv. That is every text of
// the program's start-up: it then loads no conversion module at all.
template <typename Char>
bool IsAscii(std::basic_string_view<Char> text) {
  for (const Char c : text)
    if (static_cast<std::make_unsigned_t<Char>>(c) >= 0x80) return false;
  return true;
}

}  // namespace

std::string ToAnsi(std::u16string_view text) {
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  // Little-endian bytes of the 16-bit characters, whatever the host order.
  std::string utf16le;
  utf16le.reserve(text.size() * 2);
  for (const char16_t c : text) {
    utf16le.push_back(static_cast<char>(c & 0xFF));
    utf16le.push_back(static_cast<char>(c >> 8));
  }
  Converter converter(AnsiCodeSet(), "UTF-16LE");
  return converter.Run(utf16le, "?", SkipUtf16CodePoint);
}

std::u16string FromAnsi(std::string_view bytes) {
  if (IsAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  Converter converter("UTF-16LE", AnsiCodeSet());
  const std::string utf16le =
      converter.Run(bytes, std::string_view("?\0", 2), SkipOneByte);
  std::u16string text(utf16le.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(
        static_cast<unsigned char>(utf16le[2 * i]) |
        (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
  }
  return text;
}

}  // namespace platform
