// The profile that the store harnesses work on: win.ini in a private
// XDG_CONFIG_HOME made once per run (on tmpfs where there is one, so that
// the store's fsyncs cost next to nothing) and removed when the run ends.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace pellomar::fuzz {

class ProfileFolder {
 public:
  // The run's folder, made and named in XDG_CONFIG_HOME on first use.
  static ProfileFolder& Get();

  ProfileFolder(const ProfileFolder&) = delete;
  ProfileFolder& operator=(const ProfileFolder&) = delete;
  ~ProfileFolder();

  // Replaces the profile with `bytes`.
  void PutProfile(std::string_view bytes) const;
  // The profile's bytes, or nothing when there is none.
  std::optional<std::string> ProfileBytes() const;
  // The names in the folder (without . and ..).
  std::set<std::string> Entries() const;

 private:
  ProfileFolder();
  void Remove() const noexcept;

  std::string path_;
  std::string profile_path_;
};

}  // namespace pellomar::fuzz
