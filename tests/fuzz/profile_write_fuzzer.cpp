// WriteProfileString of a value, on any profile:
//   line 1: section name
//   line 2: key name
//   line 3: value
//   rest:   the profile's bytes
// A write that succeeds reads back as the value written and changes no line
// but its own: the key's line, or a key line (and a header) added, with the
// last line completed when it had no ending (or a CR where the file's lines
// end in CRLF or LF). A write that fails leaves the
// profile byte for byte as it was. Neither leaves a temporary behind.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "profile_folder.h"
#include "profile_rules.h"
#include "profile_store.h"
#include "win32_error.h"

namespace {

using pellomar::fuzz::FuzzInput;
using pellomar::fuzz::LineEndingOf;
using pellomar::fuzz::NamesMatch;
using pellomar::fuzz::ProfileFolder;
using pellomar::fuzz::Require;
using pellomar::fuzz::TrimBlanks;
using pellomar::fuzz::Unquote;
using pellomar::profile_store::Dword;
using pellomar::profile_store::GetLastErrorCode;
using pellomar::profile_store::GetProfileString;
using pellomar::profile_store::Win32Error;
using pellomar::profile_store::WriteProfileString;

// Lines with their endings (CRLF, LF or a CR alone); the last one may have
// none.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos)
      end = text.size();
    else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      end += 2;
    else
      end += 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

std::string_view ContentOf(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

std::string_view EndingOf(std::string_view line) {
  return line.substr(ContentOf(line).size());
}

struct Write {
  std::string_view section;  // trimmed, as the store writes it
  std::string_view key;      // trimmed
  std::string_view value;    // as given
  std::string_view eol;      // of the old profile
};

// A new key line ends as the file's lines do, or in CRLF where the file's
// CR would have met the LF of an empty line after it.
bool IsKeyLine(std::string_view line, const Write& write) {
  const std::string content = std::string(write.key) + "=" + std::string(write.value);
  return line == content + std::string(write.eol) ||
         (write.eol == "\r" && line == content + "\r\n");
}

bool IsHeader(std::string_view line, const Write& write) {
  return line == "[" + std::string(write.section) + "]" + std::string(write.eol);
}

// The old line with its value replaced: same start up to and past '=',
// same ending, the new value in between.
bool IsValueReplaced(std::string_view old_line, std::string_view new_line,
                     const Write& write) {
  if (EndingOf(old_line) != EndingOf(new_line)) return false;
  const std::string_view content = ContentOf(new_line);
  if (!content.ends_with(write.value)) return false;
  const std::string_view kept = content.substr(0, content.size() - write.value.size());
  if (!ContentOf(old_line).starts_with(kept)) return false;
  const std::size_t equals = kept.find('=');
  return equals != std::string_view::npos &&
         NamesMatch(TrimBlanks(kept.substr(0, equals)), write.key) &&
         TrimBlanks(kept.substr(equals + 1)).empty();
}

// The old last line as the store completes it before appending: the file's
// ending when it had none, a LF after a CR alone unless the file's lines end
// in CR alone.
bool IsCompleted(std::string_view old_line, std::string_view new_line,
                 const Write& write) {
  std::string_view completion;
  if (EndingOf(old_line).empty())
    completion = write.eol;
  else if (EndingOf(old_line) == "\r" && write.eol != "\r")
    completion = "\n";
  else
    return false;
  return new_line == std::string(old_line) + std::string(completion);
}

void CheckOnlyOwnLinesChanged(std::string_view before, std::string_view after,
                              const Write& write) {
  const std::vector<std::string_view> old_lines = Lines(before);
  const std::vector<std::string_view> new_lines = Lines(after);
  std::size_t same_front = 0;
  while (same_front < old_lines.size() && same_front < new_lines.size() &&
         old_lines[same_front] == new_lines[same_front])
    ++same_front;
  std::size_t same_back = 0;
  while (same_back < old_lines.size() - same_front &&
         same_back < new_lines.size() - same_front &&
         old_lines[old_lines.size() - 1 - same_back] ==
             new_lines[new_lines.size() - 1 - same_back])
    ++same_back;
  const std::vector<std::string_view> removed(
      old_lines.begin() + static_cast<std::ptrdiff_t>(same_front),
      old_lines.end() - static_cast<std::ptrdiff_t>(same_back));
  std::vector<std::string_view> added(
      new_lines.begin() + static_cast<std::ptrdiff_t>(same_front),
      new_lines.end() - static_cast<std::ptrdiff_t>(same_back));

  if (removed.size() == 1 && added.size() == 1 &&
      IsValueReplaced(removed[0], added[0], write))
    return;
  if (removed.size() == 1) {
    // Only the old last line may change, and only by being completed.
    Require(same_back == 0 && !added.empty() &&
                IsCompleted(removed[0], added[0], write),
            "a line changed that was not the key's");
    added.erase(added.begin());
  } else {
    Require(removed.empty(), "lines removed");
  }
  if (added.size() == 1) {
    Require(IsKeyLine(added[0], write), "an added line that is not the key's");
  } else if (added.size() == 2) {
    Require(same_back == 0, "a new section not at the end");
    Require(IsHeader(added[0], write) && IsKeyLine(added[1], write),
            "an added section that is not the key's");
  } else {
    Require(added.empty(), "too many lines added");
  }
}

bool NoTemporaryLeft() {
  for (const std::string& name : ProfileFolder::Get().Entries())
    if (name != "win.ini" && name != "win.ini.lock") return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::optional<std::string> section = input.TakeArgument();
  const std::optional<std::string> key = input.TakeArgument();
  const std::optional<std::string> value = input.TakeArgument();
  const std::string_view before = input.Rest();
  // Null names and values delete; this harness writes values.
  if (!section || !key || !value) return -1;
  const ProfileFolder& folder = ProfileFolder::Get();
  folder.PutProfile(before);

  const bool written = WriteProfileString(section->c_str(), key->c_str(), value->c_str()) != 0;
  const Dword error = GetLastErrorCode();
  const std::optional<std::string> after = folder.ProfileBytes();
  Require(after.has_value(), "the profile is gone");
  Require(NoTemporaryLeft(), "a temporary left behind");
  if (!written) {
    Require(error != static_cast<Dword>(Win32Error::kSuccess), "failed without a reason");
    Require(*after == before, "a failed write changed the profile");
    return 0;
  }
  Require(error == static_cast<Dword>(Win32Error::kSuccess), "succeeded with an error");

  const std::string_view expected = Unquote(TrimBlanks(*value));
  std::vector<char> buffer(value->size() + 2);
  const Dword count = GetProfileString(section->c_str(), key->c_str(), "", buffer.data(),
                                       static_cast<Dword>(buffer.size()));
  Require(GetLastErrorCode() == static_cast<Dword>(Win32Error::kSuccess) &&
              std::string_view(buffer.data(), count) == expected,
          "the value does not read back");

  CheckOnlyOwnLinesChanged(before, *after,
                           {TrimBlanks(*section), TrimBlanks(*key), *value, LineEndingOf(before)});
  return 0;
}
