#include "profile_text.h"

#include <cstring>

namespace pellomar::profile_store {
namespace {

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t SkipBlanks(std::string_view text, std::size_t from,
                       std::size_t to) {
  while (from < to && IsBlank(text[from])) ++from;
  return from;
}

// A line of blanks and NULs (the NULs that pad a file written with its
// buffer's size) is a blank line.
bool HoldsOnlyBlanksAndNuls(std::string_view text, std::size_t from,
                            std::size_t to) {
  for (; from < to; ++from)
    if (!IsBlank(text[from]) && text[from] != '\0') return false;
  return true;
}

std::size_t DropTrailingBlanks(std::string_view text, std::size_t from,
                               std::size_t to) {
  while (to > from && IsBlank(text[to - 1])) --to;
  return to;
}

// The first `c` in [from, to), or `to` when there is none.
std::size_t Find(std::string_view text, char c, std::size_t from,
                 std::size_t to) {
  if (from >= to) return to;
  const void* found = std::memchr(text.data() + from, c, to - from);
  return found == nullptr ? to
                          : static_cast<std::size_t>(
                                static_cast<const char*>(found) - text.data());
}

std::string_view Slice(std::string_view text, std::size_t from,
                       std::size_t to) {
  return text.substr(from, to - from);
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t begin = SkipBlanks(text, 0, text.size());
  return Slice(text, begin, DropTrailingBlanks(text, begin, text.size()));
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  return text.substr(0, DropTrailingBlanks(text, 0, text.size()));
}

bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool LineCursor::Next(Line& line) {
  const std::size_t size = text_.size();
  if (position_ >= size) return false;
  line.begin = position_;
  if (next_lf_ == kUnknown || next_lf_ < position_)
    next_lf_ = Find(text_, '\n', position_, size);
  // A CR before the LF ends the line: alone, or as the start of a CRLF.
  const std::size_t cr = Find(text_, '\r', position_, next_lf_);
  if (cr < next_lf_) {
    line.content_end = cr;
    line.end = cr + 1 == next_lf_ && next_lf_ < size ? cr + 2 : cr + 1;
  } else {
    line.content_end = next_lf_;
    line.end = next_lf_ < size ? next_lf_ + 1 : size;
  }
  position_ = line.end;
  return true;
}

ParsedLine ParseLine(std::string_view text, const Line& line) {
  ParsedLine parsed;
  const std::size_t first = SkipBlanks(text, line.begin, line.content_end);
  if (HoldsOnlyBlanksAndNuls(text, first, line.content_end)) {
    parsed.kind = LineKind::kBlank;
    return parsed;
  }
  const char* data = text.data();
  if (data[first] == ';') {
    parsed.kind = LineKind::kComment;
    return parsed;
  }
  if (data[first] == '[') {
    const std::size_t name_begin = first + 1;
    const void* bracket =
        std::memchr(data + name_begin, ']', line.content_end - name_begin);
    const std::size_t name_end =
        bracket != nullptr
            ? static_cast<std::size_t>(static_cast<const char*>(bracket) - data)
            : line.content_end;
    parsed.kind = LineKind::kSection;
    parsed.name = TrimBlanks(Slice(text, name_begin, name_end));
    return parsed;
  }
  const void* equals =
      std::memchr(data + first, '=', line.content_end - first);
  if (equals == nullptr) return parsed;
  const auto equals_at =
      static_cast<std::size_t>(static_cast<const char*>(equals) - data);
  parsed.name =
      Slice(text, first, DropTrailingBlanks(text, first, equals_at));
  if (parsed.name.empty()) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.value_begin = SkipBlanks(text, equals_at + 1, line.content_end);
  parsed.value_end =
      DropTrailingBlanks(text, parsed.value_begin, line.content_end);
  return parsed;
}

bool IsSectionHeader(std::string_view text, const Line& line) {
  const std::size_t first = SkipBlanks(text, line.begin, line.content_end);
  return first < line.content_end && text[first] == '[';
}

std::string_view LineEndingOf(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos || text[at] == '\n') return "\n";
  return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace pellomar::profile_store
