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

std::size_t DropTrailingBlanks(std::string_view text, std::size_t from,
                               std::size_t to) {
  while (to > from && IsBlank(text[to - 1])) --to;
  return to;
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
  const void* found =
      std::memchr(text_.data() + position_, '\n', size - position_);
  if (found != nullptr) {
    const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) -
                                             text_.data());
    line.end = lf + 1;
    line.content_end = lf;
  } else {
    line.end = size;
    line.content_end = size;
  }
  if (line.content_end > line.begin && text_[line.content_end - 1] == '\r')
    --line.content_end;
  position_ = line.end;
  return true;
}

ParsedLine ParseLine(std::string_view text, const Line& line) {
  ParsedLine parsed;
  const std::size_t first = SkipBlanks(text, line.begin, line.content_end);
  if (first == line.content_end) {
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
  const std::size_t lf = text.find('\n');
  if (lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r')
    return "\r\n";
  return "\n";
}

}  // namespace pellomar::profile_store
