// profile_answers: runs the table of profile cases through the platform's
// GetProfileStringA and WriteProfileStringA, bound by name as the program
// binds them, and prints one line per case:
//
//   NAME count=N buffer=HEX       a read: its result and the nSize bytes of
//                                 the buffer (filled with '*' beforehand)
//   NAME result=R file=HEX|none   a write: its result and the file after it
//
// The lines are compared with the record of Windows' answers by
// compare_answers.cmake.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "late_binding.h"
#include "profile_cases.h"
#include "profile_file.h"
#include "system_abi.h"

namespace {

using differential::Call;
using differential::ProfileCase;

constexpr char kUntouched = '*';
constexpr std::size_t kGuardBytes = 16;

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex.empty() ? "-" : hex;
}

std::string Read(const ProfileCase& c) {
  static auto* const get = reinterpret_cast<platform::abi::GetProfileStringAFn*>(
      platform::ResolveFunction("kernel32", "GetProfileStringA"));
  std::vector<char> buffer(c.size + kGuardBytes, kUntouched);
  const platform::abi::Dword count =
      get(c.section, c.key, c.text, buffer.data(), c.size);
  std::string line = "count=" + std::to_string(count) +
                     " buffer=" + Hex(std::string(buffer.data(), c.size));
  for (std::size_t i = c.size; i < buffer.size(); ++i)
    if (buffer[i] != kUntouched) return line + " wrote-past-nSize";
  return line;
}

std::string Write(const ProfileCase& c, differential::ProfileFile& file) {
  static auto* const write = reinterpret_cast<platform::abi::WriteProfileStringAFn*>(
      platform::ResolveFunction("kernel32", "WriteProfileStringA"));
  const platform::abi::Bool result = write(c.section, c.key, c.text);
  const std::optional<std::string> after = file.Bytes();
  return "result=" + std::to_string(result != 0 ? 1 : 0) +
         " file=" + (after ? Hex(*after) : "none");
}

}  // namespace

int main() {
  differential::ProfileFile file;
  for (const ProfileCase& c : differential::ProfileCases()) {
    file.Put(c.file);
    const std::string answer = c.call == Call::kRead ? Read(c) : Write(c, file);
    std::printf("%s %s\n", c.name, answer.c_str());
  }
  std::fflush(stdout);
  return 0;
}
