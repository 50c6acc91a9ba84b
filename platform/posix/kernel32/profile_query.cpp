#include "profile_query.h"

namespace pellomar::profile_store {

std::optional<SectionSpan> FindSection(std::string_view text,
                                       std::string_view name,
                                       std::size_t from) {
  if (name.empty()) return std::nullopt;
  LineCursor cursor(text, from);
  Line line;
  while (cursor.Next(line)) {
    if (!IsSectionHeader(text, line) ||
        !NamesMatch(ParseLine(text, line).name, name))
      continue;
    SectionSpan section{line, line.end, text.size()};
    while (cursor.Next(line)) {
      if (IsSectionHeader(text, line)) {
        section.body_end = line.begin;
        break;
      }
    }
    return section;
  }
  return std::nullopt;
}

std::optional<KeySpan> FindKey(std::string_view text,
                               const SectionSpan& section,
                               std::string_view key) {
  LineCursor cursor(text.substr(0, section.body_end), section.body_begin);
  Line line;
  while (cursor.Next(line)) {
    const ParsedLine parsed = ParseLine(text, line);
    if (parsed.kind == LineKind::kKey && NamesMatch(parsed.name, key))
      return KeySpan{line, parsed};
  }
  return std::nullopt;
}

std::string_view Unquote(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace pellomar::profile_store
