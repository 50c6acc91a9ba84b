#include "window_folder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "unique_fd.h"

namespace user32 {

using pellomar::posix::UniqueFd;
namespace {

// Creates `path` 0700 if missing, then accepts it only as a directory (not a
// link to one) owned by this user that no one else may enter.
bool EnsurePrivateFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  const UniqueFd folder(
      open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.valid()) return false;
  struct stat status {};
  if (fstat(folder.get(), &status) != 0) return false;
  if (!S_ISDIR(status.st_mode) || status.st_uid != geteuid() ||
      (status.st_mode & 077) != 0) {
    errno = EACCES;
    return false;
  }
  return true;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
}

bool AllHexDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
  });
}

}  // namespace

std::optional<std::string> WindowFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base;
  if (runtime != nullptr && runtime[0] == '/') {
    base = std::string(runtime) + "/pellomar";
  } else {
    base = "/tmp/pellomar-" + std::to_string(geteuid());
  }
  if (!EnsurePrivateFolder(base)) return std::nullopt;
  std::string folder = base + "/windows";
  if (!EnsurePrivateFolder(folder)) return std::nullopt;
  return folder;
}

std::string EndpointName(pid_t pid, std::uint64_t serial, std::uint64_t nonce) {
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx",
                static_cast<unsigned long long>(nonce));
  return std::to_string(pid) + "." + std::to_string(serial) + "." + hex;
}

bool IsEndpointName(std::string_view name) {
  const auto first_dot = name.find('.');
  if (first_dot == std::string_view::npos) return false;
  const auto second_dot = name.find('.', first_dot + 1);
  if (second_dot == std::string_view::npos) return false;
  const auto nonce = name.substr(second_dot + 1);
  return AllDigits(name.substr(0, first_dot)) &&
         AllDigits(name.substr(first_dot + 1, second_dot - first_dot - 1)) &&
         nonce.size() == 16 && AllHexDigits(nonce);
}

std::vector<std::string> ListEndpoints(const std::string& folder) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()),
                                                     closedir);
  if (!listing) return names;
  while (const dirent* entry = readdir(listing.get())) {
    if (IsEndpointName(entry->d_name)) names.emplace_back(entry->d_name);
  }
  return names;
}

}  // namespace user32
