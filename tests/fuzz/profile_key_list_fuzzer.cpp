// GetProfileString with a null key name (the section's key names), on any
// profile and with any buffer size:
//   line 1: section name ("(null)": the section names instead)
//   line 2: nSize, in decimal
//   rest:   the profile's bytes
// Nothing is written past nSize: the bytes after it are poisoned for ASan
// and checked as well. The list fits, or is cut to nSize-2 bytes ending in
// two NULs (a list that takes exactly nSize counts as cut); either way it is
// the start of the whole list.
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "profile_folder.h"
#include "profile_store.h"
#include "win32_error.h"

namespace {

using pellomar::fuzz::FuzzInput;
using pellomar::fuzz::ParseSize;
using pellomar::fuzz::ProfileFolder;
using pellomar::fuzz::Require;
using pellomar::profile_store::Dword;
using pellomar::profile_store::GetLastErrorCode;
using pellomar::profile_store::GetProfileString;
using pellomar::profile_store::Win32Error;

constexpr std::size_t kGuardBytes = 64;
constexpr char kUntouched = '\xA5';

struct Answer {
  Dword count;
  Dword error;
  std::string bytes;  // the first nSize bytes of the buffer
};

Answer List(const char* section, std::size_t size) {
  std::vector<char> buffer(size + kGuardBytes, kUntouched);
  char* const guard = buffer.data() + size;
  ASAN_POISON_MEMORY_REGION(guard, kGuardBytes);
  const Dword count =
      GetProfileString(section, nullptr, "", buffer.data(), static_cast<Dword>(size));
  const Dword error = GetLastErrorCode();
  ASAN_UNPOISON_MEMORY_REGION(guard, kGuardBytes);
  for (std::size_t i = 0; i < kGuardBytes; ++i)
    Require(guard[i] == kUntouched, "wrote past nSize");
  return {count, error, std::string(buffer.data(), size)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::optional<std::string> section = input.TakeArgument();
  const std::string_view size_line = input.TakeLine();
  const std::string_view profile = input.Rest();
  ProfileFolder::Get().PutProfile(profile);
  const char* const section_name = section ? section->c_str() : nullptr;

  // Every name is a piece of the profile and has one NUL after it, so this
  // always holds the whole list.
  const std::size_t room = profile.size() + 2;
  const Answer whole = List(section_name, room);
  Require(whole.count < room, "no room left for the final NUL");
  Require(whole.error != static_cast<Dword>(Win32Error::kMoreData), "cut with room to spare");
  const std::string_view list(whole.bytes.data(), whole.count);
  Require(whole.bytes[whole.count] == '\0', "the list does not end in two NULs");
  Require(list.empty() || list.back() == '\0', "a name without its NUL");
  Require(list.find(std::string_view("\0\0", 2)) == std::string_view::npos,
          "an empty name in the list");
  // CR and LF both end lines: neither is ever a byte of a name.
  Require(list.find_first_of("\r\n") == std::string_view::npos, "a name across lines");

  const std::size_t wanted = ParseSize(size_line, room);
  const Answer given = List(section_name, wanted);
  if (whole.count == 0) {
    Require(given.count == 0, "a count without names");
    Require(wanted == 0 || given.bytes[0] == '\0', "an empty list that is not empty");
  } else if (wanted > whole.count + 1) {
    Require(given.count == whole.count && given.error == whole.error &&
                given.bytes.compare(0, whole.count + 1, whole.bytes, 0, whole.count + 1) == 0,
            "a list that fits is not the whole list");
  } else {
    const std::size_t kept = wanted >= 2 ? wanted - 2 : 0;
    Require(given.count == kept, "a cut list with the wrong count");
    Require(given.error == static_cast<Dword>(Win32Error::kMoreData),
            "a cut list without ERROR_MORE_DATA");
    Require(given.bytes.compare(0, kept, whole.bytes, 0, kept) == 0,
            "a cut list that is not the start of the whole");
    Require(given.bytes.substr(kept) == std::string(wanted - kept, '\0'),
            "a cut list that does not end in NULs");
  }
  return 0;
}
