// The file behind the system profile, put in place and read back byte for
// byte around each case. One implementation per platform.
#pragma once

#include <optional>
#include <string>

namespace differential {

class ProfileFile {
 public:
  // Takes over the system profile for the run; the destructor puts back
  // what was there before.
  ProfileFile();
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;
  ~ProfileFile();

  // Makes the profile hold exactly `bytes`, or removes it. Each call leaves
  // a file the platform cannot take for the one it saw before.
  void Put(const std::optional<std::string>& bytes);
  std::optional<std::string> Bytes() const;

 private:
  std::string path_;
  std::optional<std::string> saved_;
  std::string folder_;  // made for the run, removed afterwards (or empty)
  unsigned puts_ = 0;
};

}  // namespace differential
