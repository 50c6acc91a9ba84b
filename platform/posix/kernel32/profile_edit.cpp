#include "profile_edit.h"

#include "profile_limits.h"
#include "profile_query.h"

namespace pellomar::profile_store {
namespace {

// What must follow `line` before a line is added after it: the file's
// ending when it has none, and a LF after a CR that ends the file unless the
// file's lines end in CR alone (there it is a CRLF that lost its LF).
std::string_view CompletionAfter(std::string_view text, const Line& line,
                                 std::string_view eol) {
  if (!line.HasEnding()) return eol;
  if (line.end == text.size() && line.EndsInLoneCr(text) && eol != "\r")
    return "\n";
  return {};
}

// The line after which a new key of the section goes: its last line that is
// neither blank nor a comment, or its header.
Line NewKeyAnchor(std::string_view text, const SectionSpan& section) {
  Line anchor = section.header;
  LineCursor cursor(text.substr(0, section.body_end), section.body_begin);
  Line line;
  while (cursor.Next(line)) {
    const LineKind kind = ParseLine(text, line).kind;
    if (kind != LineKind::kBlank && kind != LineKind::kComment) anchor = line;
  }
  return anchor;
}

// The last line of a non-empty text.
Line LastLine(std::string_view text) {
  std::size_t begin = text.size() - 1;  // skip the final ending, if any
  if (text[begin] == '\n' && begin > 0 && text[begin - 1] == '\r') --begin;
  while (begin > 0 && text[begin - 1] != '\n' && text[begin - 1] != '\r')
    --begin;
  Line line;
  LineCursor(text, begin).Next(line);
  return line;
}

std::string KeyLine(std::string_view key, std::string_view value,
                    std::string_view eol) {
  std::string line;
  line.reserve(key.size() + 1 + value.size() + eol.size());
  line.append(key).append("=").append(value).append(eol);
  return line;
}

bool OverLineLimit(std::size_t line_bytes) {
  return line_bytes > kMaxLineBytes;
}

}  // namespace

std::size_t ProfileEdit::size() const {
  std::size_t total = 0;
  for (const Piece& piece : pieces_) total += piece.length;
  return total;
}

std::string ProfileEdit::Text() const {
  std::string text;
  text.reserve(size());
  ForEachPiece([&](std::string_view piece) { text.append(piece); });
  return text;
}

void ProfileEdit::Keep(std::size_t begin, std::size_t end) {
  if (end > begin) pieces_.push_back({false, begin, end - begin});
}

void ProfileEdit::Insert(std::string_view bytes) {
  if (bytes.empty()) return;
  pieces_.push_back({true, inserted_.size(), bytes.size()});
  inserted_.append(bytes);
}

Expected<ProfileEdit> EditSetValue(std::string_view text,
                                   std::string_view section,
                                   std::string_view key,
                                   std::string_view value) {
  const std::string_view eol = LineEndingOf(text);
  if (OverLineLimit(key.size() + 1 + value.size()) ||
      OverLineLimit(section.size() + 2))
    return Win32Error::kInvalidParameter;

  ProfileEdit edit(text);
  const std::optional<SectionSpan> found = FindSection(text, section);
  if (!found) {
    if (!text.empty()) {
      edit.Keep(0, text.size());
      edit.Insert(CompletionAfter(text, LastLine(text), eol));
    }
    edit.Insert("[");
    edit.Insert(section);
    edit.Insert("]");
    edit.Insert(eol);
    edit.Insert(KeyLine(key, value, eol));
    edit.MarkChanged();
    return edit;
  }

  if (const std::optional<KeySpan> old = FindKey(text, *found, key)) {
    const std::size_t begin = old->parsed.value_begin;
    const std::size_t end = old->line.content_end;
    if (text.substr(begin, end - begin) == value) return edit;
    if (OverLineLimit(begin - old->line.begin + value.size()))
      return Win32Error::kInvalidParameter;
    edit.Keep(0, begin);
    edit.Insert(value);
    edit.Keep(end, text.size());
    edit.MarkChanged();
    return edit;
  }

  const Line anchor = NewKeyAnchor(text, *found);
  // A CR alone right before a LF would read as one CRLF with it and take in
  // the empty line that follows: such a new line ends in CRLF instead.
  const bool lf_follows = anchor.end < text.size() && text[anchor.end] == '\n';
  edit.Keep(0, anchor.end);
  edit.Insert(CompletionAfter(text, anchor, eol));
  edit.Insert(KeyLine(key, value, eol == "\r" && lf_follows ? "\r\n" : eol));
  edit.Keep(anchor.end, text.size());
  edit.MarkChanged();
  return edit;
}

ProfileEdit EditDeleteKey(std::string_view text, std::string_view section,
                          std::string_view key) {
  ProfileEdit edit(text);
  const std::optional<SectionSpan> found = FindSection(text, section);
  if (!found) return edit;
  std::size_t kept_from = 0;
  LineCursor cursor(text.substr(0, found->body_end), found->body_begin);
  Line line;
  while (cursor.Next(line)) {
    const ParsedLine parsed = ParseLine(text, line);
    if (parsed.kind != LineKind::kKey || !NamesMatch(parsed.name, key))
      continue;
    edit.Keep(kept_from, line.begin);
    kept_from = line.end;
    edit.MarkChanged();
  }
  edit.Keep(kept_from, text.size());
  return edit;
}

ProfileEdit EditDeleteSection(std::string_view text,
                              std::string_view section) {
  ProfileEdit edit(text);
  std::size_t kept_from = 0;
  std::size_t search_from = 0;
  while (const std::optional<SectionSpan> found =
             FindSection(text, section, search_from)) {
    edit.Keep(kept_from, found->header.begin);
    kept_from = found->body_end;
    search_from = found->body_end;
    edit.MarkChanged();
  }
  edit.Keep(kept_from, text.size());
  return edit;
}

}  // namespace pellomar::profile_store
