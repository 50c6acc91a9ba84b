// One table of profile files and calls, run through the system profile
// functions of whichever platform the program is built for. Each case starts
// from its own file (or none), makes one call and is answered by one line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace differential {

enum class Call { kRead, kWrite };

struct ProfileCase {
  const char* name;
  std::optional<std::string> file;  // nothing: no profile at all
  Call call;
  const char* section;
  const char* key;
  const char* text;  // the default of a read, the value of a write
  std::uint32_t size = 0;  // nSize of a read
};

std::span<const ProfileCase> ProfileCases();

}  // namespace differential
