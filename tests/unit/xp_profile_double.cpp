#include "xp_profile_double.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "late_binding.h"
#include "system_abi.h"

namespace testing_support {
namespace {

std::vector<std::string>& KeyNames() {
  static std::vector<std::string> names;
  return names;
}

platform::abi::Dword PELLOMAR_SYSAPI GetProfileStringXp(
    const char*, const char* key, const char*, char* returned,
    platform::abi::Dword size) {
  if (key != nullptr || size < 2) std::abort();  // only lists are asked for
  std::string list;
  for (const std::string& name : KeyNames()) list.append(name).push_back('\0');
  if (list.size() + 1 < size) {
    std::memcpy(returned, list.data(), list.size());
    returned[list.size()] = '\0';
    return static_cast<platform::abi::Dword>(list.size());
  }
  // Cut: the bytes that fit before size - 2, one NUL, the last byte alone.
  std::memcpy(returned, list.data(), size - 2);
  returned[size - 2] = '\0';
  return size - 2;
}

}  // namespace

void AnswerKeyListWith(std::vector<std::string> names) {
  KeyNames() = std::move(names);
}

}  // namespace testing_support

namespace platform {

// Takes the place of the backend's ResolveFunction: the linker uses this
// definition and leaves the backend's out.
void* ResolveFunction(const char* library, const char* function) {
  if (std::strcmp(library, "kernel32") == 0 &&
      std::strcmp(function, "GetProfileStringA") == 0)
    return reinterpret_cast<void*>(&testing_support::GetProfileStringXp);
  std::fprintf(stderr, "the XP profile double has no %s in %s\n", function,
               library);
  std::abort();
}

}  // namespace platform
