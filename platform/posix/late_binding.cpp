// Stand-in system libraries are shared objects named lib<library>.so,
// installed beside the program; the program never links against them.

#include "late_binding.h"

#include <dlfcn.h>
#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace platform {
namespace {

constexpr int kBrokenInstallStatus = 127;

// The folder of the running executable, with a trailing slash.
std::string ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return "./";
  path.resize(static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

[[noreturn]] void BrokenInstall(const char* library, const char* function,
                                const char* reason) {
  std::fprintf(stderr,
               "%s: broken install: cannot bind %s from library %s: %s\n",
               program_invocation_short_name, function, library, reason);
  std::fflush(stderr);
  std::_Exit(kBrokenInstallStatus);
}

}  // namespace

void* ResolveFunction(const char* library, const char* function) {
  const std::string path = ProgramFolder() + "lib" + library + ".so";
  // Loaded once and kept for the life of the process: dlopen counts
  // references, so a second binding into the same library reuses it.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) BrokenInstall(library, function, dlerror());
  void* address = dlsym(handle, function);
  if (address == nullptr)
    BrokenInstall(library, function, "no such entry point");
  return address;
}

}  // namespace platform
