#include "profile_folder.h"

#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "fuzz_input.h"

namespace pellomar::fuzz {
namespace {

std::string MakeTemporaryFolder() {
  std::vector<std::string> bases{"/dev/shm"};
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir == '/')
    bases.emplace_back(tmpdir);
  bases.emplace_back("/tmp");
  for (const std::string& base : bases) {
    std::string path = base + "/pellomar-fuzz.XXXXXX";
    if (mkdtemp(path.data()) != nullptr) return path;
  }
  Violated("cannot make a temporary folder");
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

ProfileFolder& ProfileFolder::Get() {
  // Destroyed by exit(), which is how libFuzzer ends a run that found
  // nothing. A run that finds something ends otherwise: the input is kept
  // by libFuzzer, the folder goes as well.
  static ProfileFolder folder;
  return folder;
}

ProfileFolder::ProfileFolder()
    : path_(MakeTemporaryFolder()), profile_path_(path_ + "/win.ini") {
  if (setenv("XDG_CONFIG_HOME", path_.c_str(), 1) != 0)
    Violated("cannot set XDG_CONFIG_HOME");
  SetCleanupOnViolation([] { Get().Remove(); });
  __sanitizer_set_death_callback([] { Get().Remove(); });
}

ProfileFolder::~ProfileFolder() { Remove(); }

void ProfileFolder::Remove() const noexcept {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ProfileFolder::PutProfile(std::string_view bytes) const {
  const int fd = open(profile_path_.c_str(),
                      O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const bool written = fd >= 0 && WriteAll(fd, bytes);
  if (fd >= 0) close(fd);
  Require(written, "cannot write the profile");
}

std::optional<std::string> ProfileFolder::ProfileBytes() const {
  const int fd = open(profile_path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0)
    bytes.append(chunk, static_cast<std::size_t>(n));
  close(fd);
  Require(n == 0, "cannot read the profile back");
  return bytes;
}

std::set<std::string> ProfileFolder::Entries() const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.insert(entry.path().filename().string());
  return names;
}

}  // namespace pellomar::fuzz
