// Replacing the profile atomically under an exclusive lock.
#pragma once

#include <sys/stat.h>

#include <string>

#include "expected.h"
#include "profile_edit.h"
#include "unique_fd.h"

namespace pellomar::profile_store {

using pellomar::posix::UniqueFd;

// An exclusive flock held on the lock file beside the profile until
// destruction. Never on the profile itself: that is renamed over.
class ProfileLock {
 public:
  static Expected<ProfileLock> Acquire(const std::string& lock_path);

 private:
  UniqueFd fd_;
};

// The file that a write replaces: the profile itself, or the target of the
// symlink that the profile is. ERROR_FILE_NOT_FOUND for a dangling symlink,
// ERROR_CANT_RESOLVE_FILENAME for a loop. `through_symlink` tells which.
Expected<std::string> ResolveTarget(const std::string& profile_path,
                                    bool& through_symlink);

// Removes temporaries of a writer that was killed before it could rename or
// remove its own. Only safe under the lock, when nobody else is writing.
void RemoveStaleTemporaries(const std::string& target_path);

// Writes the new text beside the target, gives it the old file's mode (and
// owner, as root) or the new profile's mode when `old_status` is null,
// flushes it, renames it over the target and flushes the folder. On failure
// the target is untouched and the temporary removed.
Win32Error ReplaceFile(const std::string& target_path, const ProfileEdit& edit,
                       const struct stat* old_status);

}  // namespace pellomar::profile_store
