// Finding sections and keys in a profile's text, and walking their names.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "profile_text.h"

namespace pellomar::profile_store {

// A section: its header line and the lines up to the next header.
struct SectionSpan {
  Line header;
  std::size_t body_begin = 0;
  std::size_t body_end = 0;
};

// A key line of a section.
struct KeySpan {
  Line line;
  ParsedLine parsed;
};

// The first section named `name` at or after offset `from` (a line start).
// An empty name names no section.
std::optional<SectionSpan> FindSection(std::string_view text,
                                       std::string_view name,
                                       std::size_t from = 0);

// The first key line named `key` in the section.
std::optional<KeySpan> FindKey(std::string_view text,
                               const SectionSpan& section,
                               std::string_view key);

// A value as read: the bytes before its first NUL, one pair of matching
// single or double quotes around them removed.
std::string_view Unquote(std::string_view value);

// Whether a name can stand in a NUL-separated list: one holding a NUL would
// read as two names or as the list's end. (No caller can name it either.)
inline bool ListableName(std::string_view name) {
  return !name.empty() && name.find('\0') == std::string_view::npos;
}

// Calls visit(name) for each listable key line of the section in file
// order, until it returns false.
template <typename Visit>
void ForEachKeyName(std::string_view text, const SectionSpan& section,
                    Visit visit) {
  LineCursor cursor(text.substr(0, section.body_end), section.body_begin);
  Line line;
  while (cursor.Next(line)) {
    const ParsedLine parsed = ParseLine(text, line);
    if (parsed.kind == LineKind::kKey && ListableName(parsed.name) &&
        !visit(parsed.name))
      return;
  }
}

// Calls visit(name) for each section header with a listable name in file
// order, until it returns false. A header with an empty name ("[]") is
// skipped as well.
template <typename Visit>
void ForEachSectionName(std::string_view text, Visit visit) {
  LineCursor cursor(text);
  Line line;
  while (cursor.Next(line)) {
    if (!IsSectionHeader(text, line)) continue;
    const std::string_view name = ParseLine(text, line).name;
    if (ListableName(name) && !visit(name)) return;
  }
}

}  // namespace pellomar::profile_store
