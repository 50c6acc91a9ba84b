// The profile's lines and what each of them is. Works on views into one
// buffer: nothing here allocates.
#pragma once

#include <cstddef>
#include <string_view>

namespace pellomar::profile_store {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

// Names match regardless of ASCII case; other bytes compare exactly.
bool NamesMatch(std::string_view a, std::string_view b);

// One line of the profile, as offsets into the whole text. A line ends with
// CRLF, LF or a CR alone; the last one may have no ending.
struct Line {
  std::size_t begin = 0;        // first byte
  std::size_t content_end = 0;  // before the CRLF, LF or CR
  std::size_t end = 0;          // after the ending

  bool HasEnding() const { return end > content_end; }
  bool EndsInLoneCr(std::string_view text) const {
    return end == content_end + 1 && text[content_end] == '\r';
  }
};

// Walks the lines of a text with memchr, front to back.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text, std::size_t from = 0)
      : text_(text), position_(from) {}

  // The next line, or false at the end of the text.
  bool Next(Line& line);

 private:
  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

  std::string_view text_;
  std::size_t position_;
  // The next LF at or after position_ (the text's size when there is none),
  // kept so that a file of CR-ended lines is not searched to its end for a
  // LF on every line.
  std::size_t next_lf_ = kUnknown;
};

enum class LineKind { kBlank, kComment, kSection, kKey, kOther };

// What a line is. For a section header, `name` is the section name; for a
// key line, `name` is the key name and [value_begin, value_end) the value
// with blanks trimmed, as offsets into the whole text.
struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::size_t value_begin = 0;
  std::size_t value_end = 0;
};

ParsedLine ParseLine(std::string_view text, const Line& line);

// Quick test used while scanning: does the line start a section?
bool IsSectionHeader(std::string_view text, const Line& line);

// The ending that new lines take: that of the file's first line (CRLF, LF or
// CR), LF if the file has none.
std::string_view LineEndingOf(std::string_view text);

}  // namespace pellomar::profile_store
