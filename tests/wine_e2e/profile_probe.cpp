// profile_probe: reads and writes the system profile through the program's
// own declared profile functions, for the end-to-end tests under Wine.
//
//   profile_probe get SECTION KEY          prints the value, "" when missing
//   profile_probe set SECTION KEY VALUE
//   profile_probe delete SECTION KEY

#include <cstdio>
#include <cstring>
#include <string>

#include "ansi_code_page.h"
#include "system_functions.h"

namespace {

int Usage() {
  std::fputs(
      "usage: profile_probe get SECTION KEY | set SECTION KEY VALUE | "
      "delete SECTION KEY\n",
      stderr);
  return 2;
}

bool Is(const char* argument, const char* word) {
  return std::strcmp(argument, word) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  std::u16string section = platform::FromAnsi(argv[2]);
  std::u16string key = platform::FromAnsi(argv[3]);
  if (Is(argv[1], "get") && argc == 4) {
    std::u16string value(4096, u' ');
    const std::int32_t n = platform::GetProfileStringA(
        section, key, u"", value, static_cast<std::int32_t>(value.size()));
    value.resize(static_cast<std::size_t>(n));
    std::printf("%s\n", platform::ToAnsi(value).c_str());
    return 0;
  }
  if (Is(argv[1], "set") && argc == 5) {
    std::u16string value = platform::FromAnsi(argv[4]);
    return platform::WriteProfileStringA(section, key, value) != 0 ? 0 : 1;
  }
  if (Is(argv[1], "delete") && argc == 4)
    return platform::WriteProfileStringA(section, key, nullptr) != 0 ? 0 : 1;
  return Usage();
}
