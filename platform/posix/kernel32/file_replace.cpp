#include "file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "profile_limits.h"

namespace pellomar::profile_store {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TemporaryPrefix(const std::string& target_path) {
  return "." + NameOf(target_path) + ".";
}

bool IsMkstempSuffix(std::string_view suffix) {
  return suffix.size() == kTemporaryRandomChars &&
         std::all_of(suffix.begin(), suffix.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  (c >= '0' && c <= '9');
         });
}

// A temporary that removes itself unless it was renamed into place.
class Temporary {
 public:
  explicit Temporary(std::string path_template)
      : path_(std::move(path_template)) {
    fd_ = UniqueFd(mkostemp(path_.data(), O_CLOEXEC));
    created_ = fd_.valid();
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    fd_ = UniqueFd();
    if (created_ && !committed_) unlink(path_.c_str());
  }

  bool created() const { return created_; }
  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }

  int Close() { return fd_.Close(); }
  void Commit() { committed_ = true; }

 private:
  std::string path_;
  UniqueFd fd_;
  bool created_ = false;
  bool committed_ = false;
};

struct CloseFolder {
  void operator()(DIR* folder) const { closedir(folder); }
};

struct FreeMemory {
  void operator()(char* memory) const { std::free(memory); }
};

Win32Error WriteFailure() {
  return Win32ErrorFromErrno(errno, Win32Error::kWriteFault);
}

// writev until every piece is written, in batches of at most IOV_MAX.
bool WriteAll(int fd, const ProfileEdit& edit) {
  std::vector<iovec> pieces;
  edit.ForEachPiece([&](std::string_view piece) {
    if (!piece.empty())
      pieces.push_back({const_cast<char*>(piece.data()), piece.size()});
  });
  std::size_t next = 0;
  while (next < pieces.size()) {
    const auto batch =
        static_cast<int>(std::min<std::size_t>(pieces.size() - next, IOV_MAX));
    const ssize_t n = writev(fd, &pieces[next], batch);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    auto written = static_cast<std::size_t>(n);
    while (next < pieces.size() && written >= pieces[next].iov_len) {
      written -= pieces[next].iov_len;
      ++next;
    }
    if (written > 0) {
      pieces[next].iov_base = static_cast<char*>(pieces[next].iov_base) + written;
      pieces[next].iov_len -= written;
    }
  }
  return true;
}

// The old file's mode, and its owner as root; the group where we may.
bool CarryOverAttributes(int fd, const struct stat& old_status) {
  if (geteuid() == 0) {
    if (fchown(fd, old_status.st_uid, old_status.st_gid) != 0) return false;
  } else if (old_status.st_gid != getegid()) {
    // Best effort: a member of the old group keeps it, others cannot.
    if (fchown(fd, static_cast<uid_t>(-1), old_status.st_gid) != 0) {
    }
  }
  return fchmod(fd, old_status.st_mode & 07777) == 0;
}

void SyncFolder(const std::string& folder) {
  UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) (void)fsync(fd.get());
}

}  // namespace

Expected<ProfileLock> ProfileLock::Acquire(const std::string& lock_path) {
  ProfileLock lock;
  lock.fd_ = UniqueFd(open(lock_path.c_str(),
                           O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY,
                           kLockFileMode));
  if (!lock.fd_.valid())
    return Win32ErrorFromErrno(errno, Win32Error::kWriteFault);
  while (flock(lock.fd_.get(), LOCK_EX) != 0) {
    if (errno != EINTR)
      return Win32ErrorFromErrno(errno, Win32Error::kSharingViolation);
  }
  return lock;
}

Expected<std::string> ResolveTarget(const std::string& profile_path,
                                    bool& through_symlink) {
  through_symlink = false;
  struct stat status {};
  if (lstat(profile_path.c_str(), &status) != 0) {
    if (errno == ENOENT) return profile_path;
    return Win32ErrorFromErrno(errno, Win32Error::kPathNotFound);
  }
  if (!S_ISLNK(status.st_mode)) return profile_path;
  through_symlink = true;
  const std::unique_ptr<char, FreeMemory> resolved(
      realpath(profile_path.c_str(), nullptr));
  if (resolved == nullptr)
    return Win32ErrorFromErrno(errno, Win32Error::kPathNotFound);
  return std::string(resolved.get());
}

void RemoveStaleTemporaries(const std::string& target_path) {
  const std::unique_ptr<DIR, CloseFolder> folder(
      opendir(FolderOf(target_path).c_str()));
  if (folder == nullptr) return;
  const std::string prefix = TemporaryPrefix(target_path);
  while (const dirent* entry = readdir(folder.get())) {
    const std::string_view name(entry->d_name);
    if (name.size() > prefix.size() && name.starts_with(prefix) &&
        IsMkstempSuffix(name.substr(prefix.size())))
      (void)unlinkat(dirfd(folder.get()), entry->d_name, 0);
  }
}

Win32Error ReplaceFile(const std::string& target_path, const ProfileEdit& edit,
                       const struct stat* old_status) {
  const std::string folder = FolderOf(target_path);
  Temporary temporary(folder + "/" + TemporaryPrefix(target_path) + "XXXXXX");
  if (!temporary.created()) return WriteFailure();
  if (!WriteAll(temporary.fd(), edit)) return WriteFailure();
  const bool attributes =
      old_status != nullptr
          ? CarryOverAttributes(temporary.fd(), *old_status)
          : fchmod(temporary.fd(), kNewProfileMode) == 0;
  if (!attributes) return Win32ErrorFromErrno(errno, Win32Error::kAccessDenied);
  if (fsync(temporary.fd()) != 0) return WriteFailure();
  if (temporary.Close() != 0) return WriteFailure();
  if (rename(temporary.path().c_str(), target_path.c_str()) != 0)
    return WriteFailure();
  temporary.Commit();
  // The new file is in place whatever this gives; some file systems cannot
  // flush a folder.
  SyncFolder(folder);
  return Win32Error::kSuccess;
}

}  // namespace pellomar::profile_store
