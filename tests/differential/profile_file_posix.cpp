// On Linux the profile is $XDG_CONFIG_HOME/win.ini: the run gets a folder of
// its own, so nothing of the user's profile is touched.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "profile_file.h"

namespace differential {

ProfileFile::ProfileFile() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "pellomar-differential-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("cannot make a profile folder");
    std::exit(1);
  }
  folder_ = pattern;
  setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  path_ = folder_ + "/win.ini";
}

ProfileFile::~ProfileFile() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void ProfileFile::Put(const std::optional<std::string>& bytes) {
  ++puts_;
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
  if (bytes) std::ofstream(path_, std::ios::binary) << *bytes;
}

std::optional<std::string> ProfileFile::Bytes() const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string{std::istreambuf_iterator<char>(in), {}};
}

}  // namespace differential
