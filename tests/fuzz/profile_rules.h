// The few rules of the profile format that the harnesses check results
// against, written out here on their own rather than taken from the store.
#pragma once

#include <string_view>

namespace pellomar::fuzz {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

inline std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A value as a read gives it: one pair of matching quotes removed.
inline std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Names match regardless of ASCII case.
inline bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The line ending of new lines: the first line's (CRLF, LF or a CR alone),
// LF when there is none.
inline std::string_view LineEndingOf(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos || text[end] == '\n') return "\n";
  return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace pellomar::fuzz
