// System functions are looked up in the system's own libraries with
// LoadLibraryA and GetProcAddress; the executable does not import them.

#include "late_binding.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {
namespace {

constexpr int kBrokenInstallStatus = 127;

// The file name of the running program, without its folder.
std::string ProgramName() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path, n);
  const auto slash = full.find_last_of("\\/");
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

// The system's text for an error code, without its line break.
std::string ErrorText(DWORD code) {
  char text[512] = {};
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, text, sizeof text, nullptr);
  std::string message(text, n);
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' ||
          message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  if (message.empty()) message = "error " + std::to_string(code);
  return message;
}

[[noreturn]] void BrokenInstall(const char* library, const char* function,
                                const std::string& reason) {
  // Put together here and written with fputs: the C runtime's formatted
  // output would link in a whole printf of its own.
  const std::string line = ProgramName() + ": broken install: cannot bind " +
                           function + " from library " + library + ": " +
                           reason + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  std::_Exit(kBrokenInstallStatus);
}

}  // namespace

void* ResolveFunction(const char* library, const char* function) {
  // The module stays loaded for the life of the process; loading it again
  // for a second function only counts one more reference.
  const HMODULE module = LoadLibraryA(library);
  if (module == nullptr) BrokenInstall(library, function, ErrorText(GetLastError()));
  const FARPROC address = GetProcAddress(module, function);
  if (address == nullptr) BrokenInstall(library, function, "no such entry point");
  // A function address, handed on as the untyped address LateBound expects.
  void* untyped = nullptr;
  static_assert(sizeof untyped == sizeof address);
  std::memcpy(&untyped, &address, sizeof untyped);
  return untyped;
}

}  // namespace platform
