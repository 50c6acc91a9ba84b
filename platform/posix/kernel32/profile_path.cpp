#include "profile_path.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "profile_limits.h"

namespace pellomar::profile_store {
namespace {

std::string NonEmptyEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

Expected<std::string> PasswdHome() {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> scratch(suggested > 0 ? static_cast<std::size_t>(suggested)
                                          : std::size_t{16384});
  passwd entry{};
  passwd* result = nullptr;
  int error;
  while ((error = getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(),
                             &result)) == ERANGE)
    scratch.resize(scratch.size() * 2);
  if (result == nullptr || result->pw_dir == nullptr || *result->pw_dir == 0)
    return Win32Error::kPathNotFound;
  return std::string(result->pw_dir);
}

}  // namespace

Expected<std::string> ProfileFolder() {
  std::string config = NonEmptyEnvironment("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return config;
  std::string home = NonEmptyEnvironment("HOME");
  if (home.empty()) {
    Expected<std::string> passwd_home = PasswdHome();
    if (!passwd_home.ok()) return passwd_home.error();
    home = std::move(*passwd_home);
  }
  return home + "/.config";
}

Win32Error CreateFolders(const std::string& folder) {
  struct stat status {};
  if (stat(folder.c_str(), &status) == 0)
    return S_ISDIR(status.st_mode) ? Win32Error::kSuccess
                                   : Win32Error::kPathNotFound;
  // Each component from the top; existing ones are left as they are.
  for (std::size_t slash = folder.find('/', 1);;
       slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), kNewFolderMode) != 0 && errno != EEXIST)
      return Win32ErrorFromErrno(errno, Win32Error::kPathNotFound);
    if (slash == std::string::npos) break;
  }
  if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
    return Win32Error::kPathNotFound;
  return Win32Error::kSuccess;
}

}  // namespace pellomar::profile_store
