// GetProfileString with a key, on any profile:
//   line 1: section name ("(null)" for a null pointer)
//   line 2: key name
//   rest:   the profile's bytes
// The answer is a NUL-terminated value found in the profile, or the default
// with an error; a buffer one byte short gets the same value cut by one.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "profile_folder.h"
#include "profile_rules.h"
#include "profile_store.h"
#include "win32_error.h"

namespace {

using pellomar::fuzz::FuzzInput;
using pellomar::fuzz::ProfileFolder;
using pellomar::fuzz::Require;
using pellomar::profile_store::Dword;
using pellomar::profile_store::GetLastErrorCode;
using pellomar::profile_store::GetProfileString;
using pellomar::profile_store::Win32Error;

constexpr const char* kDefault = "<default> \t";

Dword Code(Win32Error error) { return static_cast<Dword>(error); }

struct Answer {
  Dword count;
  Dword error;
  std::string text;  // the buffer up to its first NUL
};

Answer Read(const char* section, const char* key, Dword size) {
  // One byte more than promised, to see that it is left alone.
  std::vector<char> buffer(size + std::size_t{1}, '#');
  const Dword count = GetProfileString(section, key, kDefault, buffer.data(), size);
  const Dword error = GetLastErrorCode();
  Require(buffer[size] == '#', "wrote past the size given");
  Require(size == 0 || count < size, "count not below the size");
  Require(size == 0 || buffer[count] == '\0', "no NUL after the count");
  return {count, error, size == 0 ? std::string() : std::string(buffer.data())};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::optional<std::string> section = input.TakeArgument();
  const std::optional<std::string> key = input.TakeArgument();
  const std::string_view profile = input.Rest();
  if (!section || !key) return -1;  // lists are another harness's job
  ProfileFolder::Get().PutProfile(profile);

  // Room for any value the profile could hold, and for the default.
  const auto room =
      static_cast<Dword>(std::max(profile.size(), std::strlen(kDefault)) + 2);
  const Answer full = Read(section->c_str(), key->c_str(), room);
  Require(full.text.size() == full.count, "a NUL inside the answer");
  if (full.error == Code(Win32Error::kSuccess)) {
    Require(profile.find(full.text) != std::string_view::npos,
            "a value that is not in the profile");
    Require(full.text.find_first_of("\r\n") == std::string::npos,
            "a value across lines");
  } else {
    Require(full.error != Code(Win32Error::kMoreData), "cut with room to spare");
    Require(full.text == pellomar::fuzz::TrimTrailingBlanks(kDefault),
            "a failed read without the default");
  }

  if (full.count > 0) {
    const Answer cut = Read(section->c_str(), key->c_str(), full.count);
    Require(cut.count == full.count - 1, "a cut answer of the wrong length");
    Require(cut.error == (full.error == Code(Win32Error::kSuccess)
                              ? Code(Win32Error::kMoreData)
                              : full.error),
            "a cut answer with the wrong error");
    Require(full.text.starts_with(cut.text), "a cut answer that is no prefix");
  }
  return 0;
}
