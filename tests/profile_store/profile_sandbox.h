// A private XDG_CONFIG_HOME for one test, removed afterwards, with helpers
// to lay out and inspect the profile's folder.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "profile_store.h"

namespace pellomar::profile_store::testing {

// Names the tests of a case table after the case's `name`.
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
    return param.param.name;
  }
};

class ProfileSandbox {
 public:
  ProfileSandbox();
  ~ProfileSandbox();
  ProfileSandbox(const ProfileSandbox&) = delete;
  ProfileSandbox& operator=(const ProfileSandbox&) = delete;

  // The sandbox itself, and the folder that XDG_CONFIG_HOME names in it (not
  // created until something is put there).
  const std::string& root() const { return root_; }
  const std::string& config_folder() const { return config_folder_; }
  std::string profile_path() const { return config_folder_ + "/win.ini"; }

  // Puts `bytes` in the profile, creating the folder.
  void PutProfile(std::string_view bytes) const;
  // The profile's bytes, or nothing when it cannot be read.
  std::optional<std::string> ProfileBytes() const;
  // The names in a folder (without . and ..).
  static std::set<std::string> Entries(const std::string& folder);

 private:
  std::string root_;
  std::string config_folder_;
  std::optional<std::string> saved_config_home_;
};

void PutFile(const std::string& path, std::string_view bytes);
std::optional<std::string> FileBytes(const std::string& path);

// The uid and gid that a test may drop to: nobody's when running as root,
// our own otherwise.
uid_t UnprivilegedUid();
gid_t UnprivilegedGid();
// Gives a file or folder to that user (no-op when not root).
void GiveToUnprivileged(const std::string& path);

// What one WriteProfileString call gave.
struct WriteOutcome {
  Bool result = -1;
  Dword error = 0xFFFFFFFF;
};

WriteOutcome Write(const char* section, const char* key, const char* value);

// Runs `call` in a forked child that first runs `restrict` (which returns
// false if it could not), and brings its outcome back. Returns nothing when
// the restriction could not be put in place.
std::optional<WriteOutcome> WriteInChild(
    const std::function<bool()>& restrict,
    const std::function<WriteOutcome()>& call);

// Restrictions for WriteInChild.
bool DropPrivileges();
bool LimitFileSize(std::size_t bytes);

}  // namespace pellomar::profile_store::testing
